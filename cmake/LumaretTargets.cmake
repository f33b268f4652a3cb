# Helpers shared by every folder.

# Our own code is warning-free; LUMARET_WERROR (on in ./test.sh) keeps it so,
# while a build by hand with another compiler's new warnings still succeeds.
function(lumaret_warnings target)
  # GCC 12 reports std::string concatenation at -O3 as overlapping memcpy
  # (its bug 105329); the warning is noise there.
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${LUMARET_WERROR}>:-Werror>
                         $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
endfunction()

# lumaret_library(name SOURCES ... [DEPS ...]) — one static library per folder.
function(lumaret_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  lumaret_warnings(${name})
endfunction()

# Collects every library a target links, directly or through other targets.
function(_lumaret_collect_links target out)
  set(seen ${${out}})
  foreach(prop LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(libs ${target} ${prop})
    if(NOT libs)
      continue()
    endif()
    foreach(lib IN LISTS libs)
      if(lib IN_LIST seen)
        continue()
      endif()
      list(APPEND seen ${lib})
      if(TARGET ${lib})
        _lumaret_collect_links(${lib} seen)
      endif()
    endforeach()
  endforeach()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Fails the configuration when one of the given targets links a Qt module.
function(lumaret_forbid_qt)
  foreach(target IN LISTS ARGN)
    if(NOT TARGET ${target})
      continue()
    endif()
    set(links "")
    _lumaret_collect_links(${target} links)
    foreach(lib IN LISTS links)
      if(lib MATCHES "^Qt[0-9]*::" OR lib MATCHES "(^|/)libQt[0-9]")
        message(FATAL_ERROR "${target} must not link Qt, but links ${lib}")
      endif()
    endforeach()
  endforeach()
endfunction()
