# Compiling in the real client's ABI: clang in MSVC mode for 32-bit x86, no exceptions, no RTTI,
# no standard library. Such objects join the module's mingw-w64 objects in one DLL linked by lld,
# and talk to them only through client/bridge.h.
find_program(KESTRAVA_CLANG NAMES clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
find_program(KESTRAVA_DLLTOOL NAMES llvm-dlltool REQUIRED NO_CMAKE_FIND_ROOT_PATH)
find_program(KESTRAVA_LLD NAMES ld.lld REQUIRED NO_CMAKE_FIND_ROOT_PATH)  # used by link-with-lld
set(KESTRAVA_CLIENT_ABI_FLAGS
    --target=i686-pc-windows-msvc -fms-extensions -fno-exceptions -fno-rtti -nostdinc++
    -std=c++20 -O2 -fomit-frame-pointer -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-unused-parameter -Werror)

# kestrava_client_abi_objects(<out-var> [DEFINITIONS d...] SOURCES s...): compiles each source
# into <binary dir>/client_abi/<name>.obj and sets <out-var> to the objects.
function(kestrava_client_abi_objects out_var)
  cmake_parse_arguments(ARG "" "" "DEFINITIONS;SOURCES" ${ARGN})
  set(definitions)
  foreach(definition ${ARG_DEFINITIONS})
    list(APPEND definitions -D${definition})
  endforeach()
  set(objects)
  foreach(source ${ARG_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    get_filename_component(path ${source} ABSOLUTE)
    set(object ${CMAKE_CURRENT_BINARY_DIR}/client_abi/${name}.obj)
    add_custom_command(
      OUTPUT ${object}
      COMMAND ${KESTRAVA_CLANG} ${KESTRAVA_CLIENT_ABI_FLAGS} ${definitions}
              -I${PROJECT_SOURCE_DIR} -MD -MF ${object}.d -c ${path} -o ${object}
      DEPENDS ${path}
      DEPFILE ${object}.d
      COMMENT "Compiling ${name}.cpp in the client's ABI")
    list(APPEND objects ${object})
  endforeach()
  set(${out_var} ${objects} PARENT_SCOPE)
endfunction()

# Links `target` with lld, which takes the decorated export names the client's ABI gives.
function(kestrava_link_with_lld target)
  set_target_properties(${target} PROPERTIES CXX_LINKER_LAUNCHER
                        "${PROJECT_SOURCE_DIR}/cmake/link-with-lld")
endfunction()
