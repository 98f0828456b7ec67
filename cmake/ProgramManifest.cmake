# kestrin_program_manifest(TARGET LEVEL)
# Embeds the program's application manifest as resource 1 of type 24: the rights it asks for
# (asInvoker or requireAdministrator), the Windows versions it is made for, the themed common
# controls and system DPI awareness.
set(KESTRIN_MANIFEST_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/Program.manifest.in)

function(kestrin_program_manifest target level)
  set(MANIFEST_PROGRAM ${target})
  set(MANIFEST_LEVEL ${level})
  set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest.rc)
  configure_file(${KESTRIN_MANIFEST_TEMPLATE} ${manifest} @ONLY)
  file(CONFIGURE OUTPUT ${script} CONTENT "1 24 \"@manifest@\"\n" @ONLY)
  set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS ${manifest})
  target_sources(${target} PRIVATE ${script})
endfunction()
