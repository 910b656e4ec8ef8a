#include "squawk-service/tests/load_check.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <unordered_map>
#include <vector>

#include "squawk-service/postgres_storage.h"
#include "squawk-service/squawk_encoding.h"

namespace squawk_service::test_support {
namespace {

using Clock = std::chrono::steady_clock;

// A stretch of time in which a callsign surely held a code: from the answer that gave it to the
// request that might have given it up.
struct HeldStretch {
  int code;
  int callsign;
  Clock::time_point from, to;
};

}  // namespace

void RunLoad(ServiceInstances& instances, const std::string& database, const LoadOptions& options,
             LoadProgress& progress) {
  std::unordered_map<std::string, int> decode;
  for (int code = 0; code < 4096; ++code) decode[EncodeSquawkReply(code)] = code;

  std::mutex mutex;  // guards what the clients hand in at their end
  std::vector<HeldStretch> stretches;
  std::vector<int> final_codes(static_cast<std::size_t>(options.callsigns), -1);
  std::atomic<int> started{0};
  std::thread midway;
  std::once_flag midway_once;
  // The clients go on past their number of requests until the midway action has ended, so that
  // there is load all through it.
  std::atomic<bool> midway_done{!options.midway};

  const auto client = [&](int me) {
    std::vector<std::unique_ptr<httplib::Client>> connections;
    for (int i = 0; i < instances.count(); ++i) {
      connections.push_back(std::make_unique<httplib::Client>("127.0.0.1", instances.port(i)));
      connections.back()->set_keep_alive(true);
      connections.back()->set_read_timeout(std::chrono::seconds(30));
    }
    std::vector<int> mine;
    for (int n = me; n < options.callsigns; n += options.clients) mine.push_back(n);
    struct Known {
      int code = -1;  // -1: none, or not known since a request went unanswered
      Clock::time_point since;
    };
    std::vector<Known> known(mine.size());
    std::vector<HeldStretch> my_stretches;
    int wrong_answers = 0;
    std::string first_wrong;
    std::mt19937 random(static_cast<unsigned>(me) + 1);
    int next_instance = me % instances.count();
    const std::string macid = "client" + std::to_string(me);
    const auto give_up = [&](std::size_t index, Clock::time_point at) {
      if (known[index].code >= 0) {
        my_stretches.push_back({known[index].code, mine[index], known[index].since, at});
      }
      known[index].code = -1;
    };
    while (started.fetch_add(1) < options.requests || !midway_done) {
      const std::size_t index = random() % mine.size();
      const bool override_code =
          known[index].code >= 0 &&
          static_cast<int>(random() % static_cast<unsigned>(options.override_one_in)) == 0;
      const std::string target =
          "/qex/sqk_assign.php?depicao=EGLL&arricao=EGKK&ctrlcs=EGLL_DEL&ctrlname=Test"
          "&acftcs=CS" +
          std::to_string(mine[index]) + "&acftname=x&macid=" + macid +
          "&ovr=" + (override_code ? "1" : "0") + "&gnd=0&startid=1";
      const int before = known[index].code;
      bool answered_at_once = true;
      for (;;) {
        const Clock::time_point sent = Clock::now();
        // The code held may change from here on.
        if (override_code) give_up(index, sent);
        const httplib::Result result =
            connections[static_cast<std::size_t>(next_instance)]->Get(target);
        next_instance = (next_instance + 1) % instances.count();
        if (!result || result->status == 503) {
          // Not answered: the request may or may not have been committed.
          give_up(index, sent);
          answered_at_once = false;
          ++(result ? progress.unavailable : progress.no_answer);
          if (result) std::this_thread::sleep_for(std::chrono::milliseconds(5));
          continue;
        }
        const Clock::time_point received = Clock::now();
        const auto found = decode.find(result->body);
        ASSERT_TRUE(result->status == 200 && found != decode.end())
            << result->status << " " << result->body << " for " << target;
        const int code = found->second;
        // An override gives another code; asking again, the code held. (After a request that
        // went unanswered, what it may have done is not known.)
        const bool wrong =
            answered_at_once && before >= 0 && (override_code ? code == before : code != before);
        if (wrong && wrong_answers++ == 0) {
          first_wrong =
              target + " answered " + std::to_string(code) + " after " + std::to_string(before);
        }
        if (code != known[index].code) {
          give_up(index, sent);
          known[index] = {code, received};
        }
        break;
      }
      if (progress.answered.fetch_add(1) + 1 == options.requests / 2 && options.midway) {
        std::call_once(midway_once, [&] {
          midway = std::thread([&] {
            options.midway(progress);
            midway_done = true;
          });
        });
      }
    }
    const Clock::time_point end = Clock::now();
    std::lock_guard lock(mutex);
    for (std::size_t index = 0; index < mine.size(); ++index) {
      final_codes[static_cast<std::size_t>(mine[index])] = known[index].code;
      give_up(index, end);
    }
    stretches.insert(stretches.end(), my_stretches.begin(), my_stretches.end());
    EXPECT_EQ(wrong_answers, 0) << "client " << me << ", first: " << first_wrong;
  };
  std::vector<std::thread> clients;
  for (int me = 0; me < options.clients; ++me) clients.emplace_back(client, me);
  for (std::thread& thread : clients) thread.join();
  if (midway.joinable()) midway.join();

  // No two callsigns surely held one code at the same time.
  std::sort(stretches.begin(), stretches.end(), [](const HeldStretch& a, const HeldStretch& b) {
    return a.code != b.code ? a.code < b.code : a.from < b.from;
  });
  int overlaps = 0;
  for (std::size_t i = 1; i < stretches.size(); ++i) {
    if (stretches[i].code == stretches[i - 1].code && stretches[i].from < stretches[i - 1].to) {
      ++overlaps;
    }
  }
  EXPECT_EQ(overlaps, 0) << "codes answered to a callsign while another still held them";

  // The database holds what was last answered, and nothing else.
  std::map<std::string, int> held;
  for (const Hold& hold : OpenPostgresStorage(database, 1)->Holds()) {
    EXPECT_TRUE(held.emplace(hold.callsign, hold.code).second) << hold.callsign;
  }
  std::map<std::string, int> answered;
  for (int n = 0; n < options.callsigns; ++n) {
    if (final_codes[static_cast<std::size_t>(n)] >= 0) {
      answered["CS" + std::to_string(n)] = final_codes[static_cast<std::size_t>(n)];
    }
  }
  EXPECT_EQ(held, answered);
}

}  // namespace squawk_service::test_support
