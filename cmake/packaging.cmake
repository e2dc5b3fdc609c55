# What `cmake --install` puts in place, and the packages CPack builds from
# it: a Debian package on Linux, a zip archive for Windows.
#   cpack -G DEB    txt2vb_<version>_<arch>.deb
#   cpack -G ZIP    txt2vb-<version>-win64.zip (from the MinGW-w64 build)
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(TXT2VB_DOC_BUILD_DIR ${CMAKE_BINARY_DIR}/doc)
configure_file(${CMAKE_SOURCE_DIR}/doc/txt2vb.1.in ${TXT2VB_DOC_BUILD_DIR}/txt2vb.1 @ONLY)

if(WIN32)
  # A folder to unpack anywhere: the program beside its README and licence.
  install(TARGETS txt2vb RUNTIME DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
else()
  install(TARGETS txt2vb RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/packaging/changelog)
  # The changelog's latest entry names the version being built.
  file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog changelog_top LIMIT_COUNT 1)
  if(NOT changelog_top MATCHES "^txt2vb \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog does not begin with version ${PROJECT_VERSION}: ${changelog_top}")
  endif()

  # The copyright file in Debian's machine-readable form, made from LICENSE:
  # its holder, and its permission notice as the licence text (Debian calls
  # the MIT licence "Expat").
  file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
  string(REGEX REPLACE "\n+$" "" licence "${licence}")
  string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" holder "${licence}")
  set(holder "${CMAKE_MATCH_1}")
  string(REGEX REPLACE "^MIT License\n\nCopyright [^\n]*\n\n" "" licence "${licence}")
  string(REPLACE "\n\n" "\n.\n" licence "${licence}")
  string(REPLACE "\n" "\n " licence " ${licence}")
  file(WRITE ${TXT2VB_DOC_BUILD_DIR}/copyright
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: txt2vb\n"
    "\n"
    "Files: *\n"
    "Copyright: ${holder}\n"
    "License: Expat\n"
    "${licence}\n")

  # Manual page and changelog compressed as Debian wants them: gzip at its
  # best, without a name or a time stamp, so the same text gives the same
  # bytes.
  find_program(TXT2VB_GZIP gzip)
  if(TXT2VB_GZIP)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog ${TXT2VB_DOC_BUILD_DIR}/changelog COPYONLY)
    set(compressed ${TXT2VB_DOC_BUILD_DIR}/txt2vb.1.gz ${TXT2VB_DOC_BUILD_DIR}/changelog.gz)
    add_custom_command(OUTPUT ${compressed}
      COMMAND ${TXT2VB_GZIP} -9nkf txt2vb.1 changelog
      WORKING_DIRECTORY ${TXT2VB_DOC_BUILD_DIR}
      DEPENDS ${TXT2VB_DOC_BUILD_DIR}/txt2vb.1 ${TXT2VB_DOC_BUILD_DIR}/changelog
      VERBATIM)
    add_custom_target(compressed_docs ALL DEPENDS ${compressed})
    install(FILES ${TXT2VB_DOC_BUILD_DIR}/txt2vb.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${TXT2VB_DOC_BUILD_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
  else()
    install(FILES ${TXT2VB_DOC_BUILD_DIR}/txt2vb.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/changelog DESTINATION ${CMAKE_INSTALL_DOCDIR})
  endif()
  install(FILES ${TXT2VB_DOC_BUILD_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME txt2vb)
set(CPACK_PACKAGE_VENDOR "The txt2vb developers")
set(CPACK_PACKAGE_CONTACT "The txt2vb developers <dev@txt2vb.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "write text files as Visual Basic string expressions")
set(CPACK_PACKAGE_DESCRIPTION
  "txt2vb selects files by wildcard patterns, walks their directories and\n"
  "writes each file's text as a Visual Basic string expression, ready to\n"
  "paste into VBScript or ASP code: every line becomes one continued line,\n"
  "double quotes are doubled. The result goes to the console, is appended to\n"
  "one file, or replaces each input file in place.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR DEB)
endif()
include(CPack)
