# The project's one version (project(... VERSION ...)) in what Windows shows about a program: a
# VERSIONINFO resource and, for programs, the manifest's assembly version.

set(TESMARA_VERSION4 "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(TESMARA_COPYRIGHT "Copyright (C) 2026 The Tesmara developers")
# Windows 7, 8, 8.1 and 10/11: without these entries newer Windows treat the program as written
# for Vista and may answer it with older behaviour.
set(TESMARA_MANIFEST_OS [=[  <compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1">
    <application>
      <supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>
      <supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>
      <supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>
      <supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>
    </application>
  </compatibility>]=])

# Configures `manifest_in` into the build folder as `manifest_out` with the version filled in.
function(tesmara_configure_manifest manifest_in manifest_out)
    configure_file(${manifest_in} ${manifest_out} @ONLY)
endfunction()

# Adds a version resource to `target`: its file description and file name; MANIFEST (optional)
# a configured manifest to embed as the process manifest (programs that have no .rc of their own).
function(tesmara_version_resource target description filename)
    cmake_parse_arguments(ARG "" "MANIFEST" "" ${ARGN})
    set(TESMARA_FILE_DESCRIPTION "${description}")
    set(TESMARA_ORIGINAL_FILENAME "${filename}")
    get_filename_component(TESMARA_INTERNAL_NAME "${filename}" NAME_WE)
    if(filename MATCHES "\\.dll$")
        set(TESMARA_FILE_TYPE VFT_DLL)
    else()
        set(TESMARA_FILE_TYPE VFT_APP)
    endif()
    set(TESMARA_MANIFEST_LINE "")
    if(ARG_MANIFEST)
        set(TESMARA_MANIFEST_LINE "1 24 \"${ARG_MANIFEST}\"")
    endif()
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/res/Version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
    if(ARG_MANIFEST)
        set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${ARG_MANIFEST})
    endif()
endfunction()
