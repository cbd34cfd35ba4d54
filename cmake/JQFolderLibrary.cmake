# jq_folder_library(name [LINKS targets...])
#
# The library of the folder it is called from, made of every .cpp file in
# that folder. The data grid's folders are laid out before their code is
# written: until a folder has sources, its library is an interface library
# that only carries its links, so the folders above can name it already.
function(jq_folder_library name)
  cmake_parse_arguments(L "" "" "LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC ${L_LINKS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${L_LINKS})
  endif()
endfunction()
