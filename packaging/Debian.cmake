# The Debian package, built by CPack's DEB generator: `cmake --build BUILD --target
# package` writes vellacour_<version>_<arch>.deb into BUILD. scripts/package makes the
# stripped release build it should come from.

# The maintainer's address and the homepage (VC_MAINTAINER, VC_HOMEPAGE) are the ones the
# program itself names; cmake/Product.cmake reads them.

# /usr/share/doc/vellacour: the copyright file and the changelog, compressed without name
# or time so the package builds the same every time. The package is native (its version
# has no Debian revision), so its one changelog is changelog.gz.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/vellacour)
set(changelog ${PROJECT_BINARY_DIR}/packaging/changelog)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${changelog} @ONLY)
find_program(GZIP_PROGRAM gzip REQUIRED)
add_custom_command(OUTPUT ${changelog}.gz
                   COMMAND ${GZIP_PROGRAM} -9nkf ${changelog}
                   DEPENDS ${changelog}
                   VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${changelog}.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${changelog}.gz DESTINATION ${doc_dir})

# A stripped install (as CPack makes it) also drops the compiler's .comment notes from the
# programs, as Debian's own packages have them.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(program vellacour vellacour-export vellacour-decode vellacour-decode-all)
            execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellacour)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Die Vellacour-Entwickler")
set(CPACK_PACKAGE_CONTACT "${VC_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${VC_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print covers for CD, DVD and Blu-ray cases")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vellacour prints covers for CD jewel cases: one picture for the front cover\n"
    "(120 x 120 mm) and one for the back inlay (151 x 118 mm), shown together on a\n"
    "white page, saved as a small layout file (*.vco) and printed at their real\n"
    "size on one landscape sheet, with optional cutting frames and fold lines.\n"
    "It prints the wrap of slim CD cases, DVD and Blu-ray keep cases and cases of\n"
    "the user's own size as well: back panel, spine and front panel in one piece.\n"
    "Pictures may be BMP, JPEG, PNG, ICO, EMF, WMF, WebP, TIFF, GIF or SVG files;\n"
    "all but the first six are decoded by a helper program of limited means, so that\n"
    "a damaged file cannot harm the program. The user interface is German or English.\n"
    "\n"
    "vellacour-export prints a layout's sheet into a PDF file, or a picture into\n"
    "a PNG image, from the command line without a display.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the binaries; the CUPS client library, the fonts the sheet and
# the window ask for, Qt's German texts for its own dialogs and Qt's WebP and TIFF readers
# (plugins the picture helper loads) are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libcups2, fonts-liberation2, qt6-translations-l10n, qt6-image-formats-plugins")
# Free stand-ins for faces that Windows metafiles name (Tahoma, Wingdings, Symbol), which the
# picture player adds to its own fonts when the system lacks them; pictures play without.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
