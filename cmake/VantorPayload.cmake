# Package resources from a payload folder: setupdir/ (install folder) and windir/ (system folder) are
# packed by the native ezp into the four package files, each compressed to an LZMA-alone stream, and
# listed in a resource script as resources 129 to 132 of type "EZP".

set(VANTOR_NATIVE_EZP "${CMAKE_SOURCE_DIR}/build/native/tools/ezp/ezp" CACHE FILEPATH
    "The native ezp that packs payloads for the Windows builds (build the native preset first)")

# vantor_package_resources(NAME PAYLOAD_DIR OUT_RC_VAR [OMIT id...] [DEPENDS file...])
# DEPENDS names files that make the payload at build time.
function(vantor_package_resources name payload out_rc)
  cmake_parse_arguments(ARG "" "" "OMIT;DEPENDS" ${ARGN})
  get_filename_component(payload "${payload}" ABSOLUTE)
  if(NOT IS_DIRECTORY "${payload}" AND NOT ARG_DEPENDS)
    message(FATAL_ERROR "payload folder ${payload} does not exist")
  endif()
  set(out "${CMAKE_BINARY_DIR}/payload/${name}")
  set(streams
    "${out}/setupdir.ezpi.lzma" "${out}/setupdir.ezps.lzma" "${out}/windir.ezpi.lzma" "${out}/windir.ezps.lzma")
  file(GLOB_RECURSE payload_files CONFIGURE_DEPENDS "${payload}/setupdir/*" "${payload}/windir/*")
  add_custom_command(
    OUTPUT ${streams}
    COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/pack-payload.sh" "${VANTOR_NATIVE_EZP}" "${payload}" "${out}"
    DEPENDS ${payload_files} ${ARG_DEPENDS} "${CMAKE_SOURCE_DIR}/scripts/pack-payload.sh" "${VANTOR_NATIVE_EZP}"
    COMMENT "Packing payload ${payload} for ${name}"
    VERBATIM)

  set(rc "// Generated: the package resources of ${name}.\n")
  set(id 129)
  foreach(stream IN LISTS streams)
    if(NOT id IN_LIST ARG_OMIT)
      string(APPEND rc "${id} EZP \"${stream}\"\n")
    endif()
    math(EXPR id "${id} + 1")
  endforeach()
  file(CONFIGURE OUTPUT "${out}/packages.rc" CONTENT "${rc}")
  set_source_files_properties("${out}/packages.rc" PROPERTIES OBJECT_DEPENDS "${streams}")
  set(${out_rc} "${out}/packages.rc" PARENT_SCOPE)
endfunction()
