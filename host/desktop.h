// What the stand-in host offers beyond the host interface, for the platform backends of modules
// it loads: a task queue run on the host's thread, the notice window and the clipboard.
//
// Thread: Post, ShowNotice and the observers may be used from any thread; RunPostedTasks only on
// the host's thread.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace standin {

class Desktop {
 public:
  using NoticeObserver = std::function<void(const std::string& caption, const std::string& text)>;
  using ClipboardObserver = std::function<void(const std::string& text)>;

  // Queues `task` for the host's thread.
  void Post(std::function<void()> task);
  // Runs every queued task, including tasks queued while running; returns how many ran.
  int RunPostedTasks();
  bool HasPostedTasks();

  // Shows a notice: tells the observer, if any, and returns at once (the user "closes" it).
  void ShowNotice(const std::string& caption, const std::string& text);
  void SetNoticeObserver(NoticeObserver observer);

  void SetClipboardText(const std::string& text);
  std::string ClipboardText();
  void SetClipboardObserver(ClipboardObserver observer);

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
  NoticeObserver notice_observer_;
  ClipboardObserver clipboard_observer_;
  std::string clipboard_;
};

// The one desktop of the process.
Desktop& TheDesktop();

}  // namespace standin
