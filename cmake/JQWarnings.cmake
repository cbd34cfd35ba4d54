# Production code (everything outside tests/ and bench/) builds with warnings
# as errors, so a new warning fails the build where it is written instead of
# piling up. Sanitizer and fuzz builds only run tests: instrumentation makes
# the compiler warn about code it has rewritten, and the fuzz build's clang
# knows other warnings than g++, so they keep warnings as warnings.
function(jq_production_warnings_as_errors)
  if(JQ_SANITIZE OR JQ_BUILD_FUZZ)
    return()
  endif()
  jq_compiled_targets(targets)
  foreach(t IN LISTS targets)
    get_target_property(dir ${t} SOURCE_DIR)
    file(RELATIVE_PATH rel "${PROJECT_SOURCE_DIR}" "${dir}")
    if(rel MATCHES "^(tests|bench)(/|$)")
      continue()
    endif()
    target_compile_options(${t} PRIVATE -Werror)
  endforeach()
endfunction()
