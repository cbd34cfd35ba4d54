# Most of a translation unit's compile time here is parsing the standard
# library, GoogleTest and Qt headers again and again, and most of a link's is
# the debug information of the static libraries. Every C++ target of the tree
# compiles its sources in unity batches, gets those headers precompiled once
# when it still has several units, and links with the fastest linker found.
#
# jq_speed_up_targets() is called once at the end of the top-level
# CMakeLists.txt, so targets added by any folder are covered without each
# folder remembering to ask.

option(JQ_PRECOMPILED_HEADERS "Precompile the common headers of each target" ON)
option(JQ_UNITY_BUILD "Compile the sources of each target in batches" ON)
set(JQ_UNITY_BATCH_SIZE 8 CACHE STRING "Sources per unity batch")
set(JQ_LINKER "auto" CACHE STRING "Linker for -fuse-ld: auto (mold, then lld), a name, or default")

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

# The target's sources with full paths: source properties set in the target's
# folder are found only under those.
function(_jq_target_sources target out)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  set(result "")
  foreach(s IN LISTS sources)
    if(NOT s MATCHES "^\\$<" AND NOT IS_ABSOLUTE "${s}")
      set(s "${dir}/${s}")
    endif()
    list(APPEND result "${s}")
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Counts the C++ units of a target, and how many of them may join a unity
# batch.
function(_jq_cxx_source_count target out_all out_batchable)
  _jq_target_sources(${target} sources)
  set(n 0)
  set(b 0)
  foreach(s IN LISTS sources)
    if(s MATCHES "\\.(cpp|cc|cxx)$")
      math(EXPR n "${n} + 1")
      get_source_file_property(skip "${s}" TARGET_DIRECTORY ${target} SKIP_UNITY_BUILD_INCLUSION)
      if(NOT skip)
        math(EXPR b "${b} + 1")
      endif()
    endif()
  endforeach()
  set(${out_all} ${n} PARENT_SCOPE)
  set(${out_batchable} ${b} PARENT_SCOPE)
endfunction()

function(_jq_links_to target lib out)
  get_target_property(libs ${target} LINK_LIBRARIES)
  set(found OFF)
  if(libs AND "${lib}" IN_LIST libs)
    set(found ON)
  endif()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# A unit that cannot take the precompiled header (see SKIP_PRECOMPILE_HEADERS)
# cannot share a batch with units that do.
function(_jq_keep_pch_opt_outs_alone target)
  _jq_target_sources(${target} sources)
  foreach(s IN LISTS sources)
    get_source_file_property(skip "${s}" TARGET_DIRECTORY ${target} SKIP_PRECOMPILE_HEADERS)
    if(skip)
      set_source_files_properties("${s}" TARGET_DIRECTORY ${target}
        PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endif()
  endforeach()
endfunction()

# Links are many (a hundred programs against large static libraries with
# debug information); mold or lld do them in a fraction of ld.bfd's time.
function(_jq_find_linker out)
  if(DEFINED JQ_LINKER_FLAG_CHOSEN)
    set(${out} "${JQ_LINKER_FLAG_CHOSEN}" PARENT_SCOPE)
    return()
  endif()
  set(flag "")
  if(JQ_LINKER STREQUAL "auto")
    set(candidates mold lld)
  elseif(JQ_LINKER STREQUAL "default" OR JQ_LINKER STREQUAL "")
    set(candidates "")
  else()
    set(candidates ${JQ_LINKER})
  endif()
  include(CheckLinkerFlag)
  foreach(l IN LISTS candidates)
    check_linker_flag(CXX "-fuse-ld=${l}" JQ_HAVE_LINKER_${l})
    if(JQ_HAVE_LINKER_${l})
      set(flag "-fuse-ld=${l}")
      break()
    endif()
  endforeach()
  if(flag)
    message(STATUS "Linking with ${flag}")
  else()
    message(STATUS "Linking with the compiler's default linker")
  endif()
  set(JQ_LINKER_FLAG_CHOSEN "${flag}" CACHE INTERNAL "")
  set(${out} "${flag}" PARENT_SCOPE)
endfunction()

# Every target of the tree that compiles something (not interface or
# imported targets).
function(jq_compiled_targets out)
  _jq_collect_targets("${PROJECT_SOURCE_DIR}" targets)
  set(result "")
  foreach(t IN LISTS targets)
    get_target_property(type ${t} TYPE)
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      list(APPEND result ${t})
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

function(jq_speed_up_targets)
  _jq_find_linker(linker_flag)
  jq_compiled_targets(targets)
  foreach(t IN LISTS targets)
    get_target_property(type ${t} TYPE)
    if(linker_flag AND type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY)$")
      target_link_options(${t} PRIVATE ${linker_flag})
    endif()
    _jq_links_to(${t} GTest::gtest with_gtest)
    if(with_gtest)
      # Test programs are mostly expanded test macros: optimising them
      # harder or carrying full debug information buys nothing but build
      # time (the code under test keeps the build type's flags).
      target_compile_options(${t} PRIVATE -O1 -g1)
    endif()

    _jq_keep_pch_opt_outs_alone(${t})
    _jq_cxx_source_count(${t} n batchable)
    set(units ${n})
    get_target_property(no_unity ${t} JQ_NO_UNITY)
    if(JQ_UNITY_BUILD AND NOT no_unity AND batchable GREATER 1)
      set_target_properties(${t} PROPERTIES
        UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${JQ_UNITY_BATCH_SIZE})
      # A batch includes its sources, so g++ takes a class of one of them whose
      # members use that file's anonymous namespace for a header's class and
      # warns of a linkage problem that a single unit cannot have.
      target_compile_options(${t} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Wno-subobject-linkage>)
      math(EXPR units "${n} - ${batchable} + (${batchable} + ${JQ_UNITY_BATCH_SIZE} - 1) / ${JQ_UNITY_BATCH_SIZE}")
    endif()

    if(NOT JQ_PRECOMPILED_HEADERS)
      continue()
    endif()
    get_target_property(opt_out ${t} JQ_NO_PCH)
    if(opt_out)
      continue()
    endif()
    # A precompiled header costs about two ordinary units to build.
    if(units LESS 3)
      continue()
    endif()
    set(headers ${_JQ_PCH_STD})
    if(with_gtest)
      list(APPEND headers <gtest/gtest.h>)
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
