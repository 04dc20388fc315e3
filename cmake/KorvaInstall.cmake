# Installation (cmake --install) and the Debian package (cpack -G DEB, see scripts/package.sh).
#
#   bin/korva2017, bin/korva2017-run      the program and the batch runner
#   <libdir>/korva/libKorva2017_DLL.so    the engine, in a private directory: only the two
#                                          programs load it, by its path relative to their own
#   share/applications, share/mime, share/icons/hicolor   desktop entry, project file type, icon
#   share/man/man1                          korva2017(1), korva2017-run(1)
#   share/doc/korva2017                     manuals, the JSON results' description, copyright
#   share/korva2017/examples                the bundled example projects

set(KORVA_PACKAGE korva2017)
include(GNUInstallDirs)
# The documentation goes where Debian keeps a package's (Qt's configuration has already set the
# default, named after the project); the full paths follow on including the module again.
set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${KORVA_PACKAGE})
include(GNUInstallDirs)
set(KORVA_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/korva)
set(KORVA_DATADIR ${CMAKE_INSTALL_DATADIR}/${KORVA_PACKAGE})

# The programs find what is installed with them relative to their own directory, so the
# installation can be moved (a scratch root, another prefix).
file(RELATIVE_PATH private_libdir ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${KORVA_PRIVATE_LIBDIR})
file(RELATIVE_PATH docdir ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DOCDIR})
target_compile_definitions(korva_enginerun PRIVATE KORVA_PRIVATE_LIBDIR="${private_libdir}"
                                                   KORVA_DOCDIR="${docdir}")

install(TARGETS korva2017 korva2017-run RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS Korva2017_DLL LIBRARY DESTINATION ${KORVA_PRIVATE_LIBDIR} NAMELINK_SKIP)

set(desktop ${CMAKE_SOURCE_DIR}/app/shell/desktop)
set(icons ${CMAKE_SOURCE_DIR}/app/shell/icons)
install(FILES ${desktop}/korva2017.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop}/korva2017.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${icons}/korva2017.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${icons}/hicolor/${size}x${size}/korva2017.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Man pages, compressed as Debian wants them (no name or time stamp in the gzip header).
find_program(KORVA_GZIP gzip REQUIRED)
set(man_pages)
foreach(page korva2017.1 korva2017-run.1)
  set(out ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${KORVA_GZIP} -9n -c ${CMAKE_SOURCE_DIR}/docs/man/${page} > ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/${page} VERBATIM)
  list(APPEND man_pages ${out})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${CMAKE_SOURCE_DIR}/docs/results-json.md ${CMAKE_SOURCE_DIR}/docs/results-json.schema.json
              ${CMAKE_SOURCE_DIR}/scripts/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND ${KORVA_GZIP} -9n -c ${CMAKE_SOURCE_DIR}/scripts/debian/changelog > ${changelog}
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/debian/changelog VERBATIM)
add_custom_target(changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The projects and scripts only: not the results of a run made in the source tree.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${KORVA_DATADIR}/examples
        FILES_MATCHING PATTERN "*.kv8d" PATTERN "*.py" PATTERN "*.md" PATTERN "__pycache__" EXCLUDE)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${KORVA_PACKAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Valtor")
set(CPACK_PACKAGE_CONTACT "Valtor KORVA support <korva@valtor.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "axial capacity and settlement of drilled shafts")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "KORVA computes the axial capacity and the short-term load-settlement curve of
drilled shafts (bored piles, straight or belled) in layered soil and rock, in
compression or uplift, by allowable stress design or load and resistance factor
design. It reports side and base resistance with depth, design charts, t-z and
Q-w curves and a calculation report in PDF.
.
The package holds the desktop program korva2017, the batch runner
korva2017-run for scripted analyses, the manuals and example projects.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.valtor.example/korva")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as plug-ins, so not found among the linked libraries: the SVG icon engine.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, libgl1-mesa-dri")
find_program(KORVA_DPKG dpkg)
if(KORVA_DPKG)
  execute_process(COMMAND ${KORVA_DPKG} --print-architecture OUTPUT_VARIABLE arch OUTPUT_STRIP_TRAILING_WHITESPACE)
else()
  set(arch amd64)
endif()
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${arch})
set(CPACK_DEBIAN_FILE_NAME "${KORVA_PACKAGE}_${PROJECT_VERSION}_${arch}.deb")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# Directories owned by the system are not the package's to create with other permissions.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
