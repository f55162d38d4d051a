# Release packages made from this build's program files: a portable zip and,
# when makensis is installed, a per-user setup program. Both are named after
# the version defined in the top CMakeLists.txt and land in the build folder.
# scripts/package.sh reads the version from the cache to name what it made.
set(ORVANE_PACKAGE_VERSION ${ORVANE_VERSION} CACHE INTERNAL "version in the package names")
set(ORVANE_PACKAGE_BINDIR ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
set(ORVANE_SETUP_FILE ${CMAKE_BINARY_DIR}/Orvane-${ORVANE_VERSION}-setup.exe)
set(ORVANE_ZIP_FILE ${CMAKE_BINARY_DIR}/Orvane-${ORVANE_VERSION}.zip)
set(ORVANE_ICON_FILE ${PROJECT_SOURCE_DIR}/resources/Orvane.ico)
# A release's setup program is made once and downloaded often: the strongest
# compression. Every other build makes one for the tests after each link,
# where LZMA over the unstripped program would cost a minute each time.
if(CMAKE_BUILD_TYPE STREQUAL "Release")
  set(ORVANE_SETUP_COMPRESSOR "/SOLID lzma")
else()
  set(ORVANE_SETUP_COMPRESSOR "zlib")
endif()
set(ORVANE_NSIS_SCRIPT ${ORVANE_GENERATED_DIR}/Orvane.nsi)
configure_file(${PROJECT_SOURCE_DIR}/resources/Orvane.nsi.in ${ORVANE_NSIS_SCRIPT} @ONLY)

# The three files a user gets, whichever package.
set(ORVANE_PACKAGE_FILES ${ORVANE_PACKAGE_BINDIR}/Orvane.exe ${ORVANE_PACKAGE_BINDIR}/purger.dll
                         ${ORVANE_PACKAGE_BINDIR}/index.html)

# The files sit at the top of the archive, so it runs from wherever it is unpacked.
add_custom_command(OUTPUT ${ORVANE_ZIP_FILE}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${ORVANE_ZIP_FILE}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${ORVANE_ZIP_FILE} --format=zip Orvane.exe purger.dll index.html
  WORKING_DIRECTORY ${ORVANE_PACKAGE_BINDIR}
  DEPENDS Orvane purger orvane_help ${ORVANE_PACKAGE_FILES}
  COMMENT "Packing ${ORVANE_ZIP_FILE}")
set(ORVANE_PACKAGE_OUTPUTS ${ORVANE_ZIP_FILE})

find_program(ORVANE_MAKENSIS makensis)
if(ORVANE_MAKENSIS)
  add_custom_command(OUTPUT ${ORVANE_SETUP_FILE}
    COMMAND ${ORVANE_MAKENSIS} -V2 -INPUTCHARSET UTF8 ${ORVANE_NSIS_SCRIPT}
    DEPENDS Orvane purger orvane_help ${ORVANE_PACKAGE_FILES} ${ORVANE_NSIS_SCRIPT}
            ${PROJECT_SOURCE_DIR}/resources/Orvane.nsi.in ${ORVANE_ICON_FILE}
    COMMENT "Making ${ORVANE_SETUP_FILE}")
  list(APPEND ORVANE_PACKAGE_OUTPUTS ${ORVANE_SETUP_FILE})
else()
  message(STATUS "makensis not found: the setup program is not made")
endif()
add_custom_target(orvane_packages ALL DEPENDS ${ORVANE_PACKAGE_OUTPUTS})
