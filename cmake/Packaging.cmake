# What a release ships (the three programs and a README for Windows users) and the zip CPack
# makes of it; scripts/package also builds the NSIS installer from the same install tree.

install(TARGETS tesmara quorn tesmara-cli
    RUNTIME DESTINATION . COMPONENT application
    # libquorn.dll's import library is for building against it, not for a technician's PC.
    ARCHIVE DESTINATION lib COMPONENT development EXCLUDE_FROM_ALL)
configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt.in ${PROJECT_BINARY_DIR}/README.txt
    @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION . COMPONENT application)

set(CPACK_PACKAGE_NAME Tesmara)
set(CPACK_PACKAGE_VENDOR Tesmara)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Tesmara-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/build/dist)
set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL application)
include(CPack)
