# Most of a translation unit's compile time here is parsing the standard
# library, GoogleTest and Qt headers again and again. Every C++ target of the
# tree with a few sources gets those headers precompiled once.
#
# jq_precompile_common_headers() is called once at the end of the top-level
# CMakeLists.txt, so targets added by any folder are covered without each
# folder remembering to ask.

option(JQ_PRECOMPILED_HEADERS "Precompile the common headers of each target" ON)

set(_JQ_PCH_STD
  <algorithm> <atomic> <chrono> <cstdint> <cstring> <functional> <map>
  <memory> <mutex> <optional> <set> <string> <string_view> <unordered_map>
  <utility> <vector>)

function(_jq_collect_targets dir out)
  get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _jq_collect_targets("${sub}" more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(_jq_cxx_source_count target out)
  get_target_property(sources ${target} SOURCES)
  set(n 0)
  foreach(s IN LISTS sources)
    if(s MATCHES "\\.(cpp|cc|cxx)$")
      math(EXPR n "${n} + 1")
    endif()
  endforeach()
  set(${out} ${n} PARENT_SCOPE)
endfunction()

function(_jq_links_to target lib out)
  get_target_property(libs ${target} LINK_LIBRARIES)
  set(found OFF)
  if(libs AND "${lib}" IN_LIST libs)
    set(found ON)
  endif()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(jq_precompile_common_headers)
  if(NOT JQ_PRECOMPILED_HEADERS)
    return()
  endif()
  _jq_collect_targets("${PROJECT_SOURCE_DIR}" targets)
  foreach(t IN LISTS targets)
    get_target_property(type ${t} TYPE)
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      continue()
    endif()
    get_target_property(opt_out ${t} JQ_NO_PCH)
    if(opt_out)
      continue()
    endif()
    _jq_cxx_source_count(${t} n)
    # A precompiled header costs about two ordinary units to build.
    if(n LESS 3)
      continue()
    endif()
    set(headers ${_JQ_PCH_STD})
    _jq_links_to(${t} GTest::gtest with_gtest)
    if(with_gtest)
      list(APPEND headers <gtest/gtest.h>)
      # Test programs are mostly expanded test macros: optimising them
      # harder or carrying full debug information buys nothing but build
      # time (the code under test keeps the build type's flags).
      target_compile_options(${t} PRIVATE -O1 -g1)
    endif()
    _jq_links_to(${t} Qt6::Widgets with_qt)
    if(with_qt)
      list(APPEND headers <QtWidgets/QWidget> <QtWidgets/QApplication> <QtGui/QImage> <QtGui/QPainter>)
    endif()
    # Only the C++ units take them; ">" inside a generator expression is
    # spelled $<ANGLE-R>.
    list(TRANSFORM headers REPLACE ">$" "$<ANGLE-R>")
    list(TRANSFORM headers PREPEND "$<$<COMPILE_LANGUAGE:CXX>:")
    list(TRANSFORM headers APPEND ">")
    target_precompile_headers(${t} PRIVATE ${headers})
  endforeach()
endfunction()
