# Dependencies that stop the configuration with a plain message naming the
# Debian package to install, instead of a bare "not found" further down.
#
# jq_require_package(<Name> [COMPONENTS <component...>] DEBIAN <package...>)
# jq_require_pkg_config(<PREFIX> <module> DEBIAN <package...>)
#   the second also gives the imported target PkgConfig::<PREFIX>.

function(_jq_missing what debian)
  string(REPLACE ";" " " debian "${debian}")
  message(FATAL_ERROR
    "JQ needs ${what}, which was not found.\n"
    "Install the Debian package(s): ${debian}\n"
    "(scripts/setup installs everything the build needs.)")
endfunction()

macro(jq_require_package name)
  cmake_parse_arguments(_JQR "" "" "DEBIAN;COMPONENTS" ${ARGN})
  if(_JQR_COMPONENTS)
    find_package(${name} QUIET COMPONENTS ${_JQR_COMPONENTS})
  else()
    find_package(${name} QUIET)
  endif()
  if(NOT ${name}_FOUND)
    _jq_missing("${name}" "${_JQR_DEBIAN}")
  endif()
endmacro()

macro(jq_require_pkg_config prefix module)
  cmake_parse_arguments(_JQR "" "" "DEBIAN" ${ARGN})
  find_package(PkgConfig QUIET)
  if(NOT PKG_CONFIG_FOUND)
    _jq_missing("pkg-config" "pkg-config")
  endif()
  pkg_check_modules(${prefix} QUIET IMPORTED_TARGET ${module})
  if(NOT ${prefix}_FOUND)
    _jq_missing("${module} (through pkg-config)" "${_JQR_DEBIAN}")
  endif()
endmacro()
