# The squawk service's parts that stand on their own, each with its own tests: the network feed's
# use (airport positions, distances, the traffic it shows, its fetcher), the rate limiter, the
# metrics registry and the status page. Included by CMakeLists.txt (Linux only).
find_package(CURL REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(PARTS_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)

add_library(squawk_service_parts STATIC feed_airports.cpp feed_distance.cpp feed_fetcher.cpp
                                        feed_traffic.cpp metrics.cpp rate_limiter.cpp
                                        status_page.cpp)
kestrava_target(squawk_service_parts)
target_link_libraries(squawk_service_parts PUBLIC kestrava_network_feed Threads::Threads
                                           PRIVATE CURL::libcurl kestrava_json_number)

add_executable(squawk_service_parts_tests
  tests/feed_airports_test.cpp tests/feed_traffic_test.cpp tests/feed_fetcher_test.cpp
  tests/rate_limiter_test.cpp tests/metrics_test.cpp tests/status_page_test.cpp)
kestrava_target(squawk_service_parts_tests)
target_link_libraries(squawk_service_parts_tests PRIVATE squawk_service_parts
                      PkgConfig::PARTS_HTTPLIB GTest::gtest GTest::gtest_main)
add_test(NAME squawk_service_parts_tests COMMAND squawk_service_parts_tests --gtest_brief=1)
# The status page's test loads it in headless Chromium through scripts/render-page.
target_compile_definitions(squawk_service_parts_tests PRIVATE
                           KESTRAVA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
