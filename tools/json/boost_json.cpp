// The compiled part of Boost.JSON, built here once, so that no Boost library need be linked
// (the Windows cross build has the library's headers only).
#include <boost/json/src.hpp>
