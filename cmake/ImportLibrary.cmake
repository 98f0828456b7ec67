# kestrin_import_library(TARGET DLL_NAME DEF_FILE [KILL_AT])
# Makes an import library for a DLL from its .def file alone, so that a program links against the
# real platform DLL's names and ordinals rather than against our own build of it.
function(kestrin_import_library target dll def)
  cmake_parse_arguments(arg "KILL_AT" "" "" ${ARGN})
  set(lib ${CMAKE_ARCHIVE_OUTPUT_DIRECTORY}/lib${target}.a)
  set(flags)
  if(arg_KILL_AT)
    set(flags -k)
  endif()
  add_custom_command(
    OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_ARCHIVE_OUTPUT_DIRECTORY}
    COMMAND ${CMAKE_DLLTOOL} -d ${def} -l ${lib} -D ${dll} ${flags}
    DEPENDS ${def}
    VERBATIM)
  add_custom_target(${target}_implib DEPENDS ${lib})
  add_library(${target} INTERFACE)
  add_dependencies(${target} ${target}_implib)
  target_link_libraries(${target} INTERFACE ${lib})
endfunction()
