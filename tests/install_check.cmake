# Installs the build into a scratch prefix and checks what lands there.
set(prefix "${BUILD}/install-check")
file(REMOVE_RECURSE "${prefix}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${prefix}" RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
# The manual page and the changelog are compressed where gzip is found.
foreach(path bin/txt2vb share/man/man1/txt2vb.1 share/doc/txt2vb/changelog share/doc/txt2vb/copyright)
  if(NOT EXISTS "${prefix}/${path}" AND NOT EXISTS "${prefix}/${path}.gz"
     OR path MATCHES "copyright|bin/" AND NOT EXISTS "${prefix}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
file(READ "${prefix}/share/doc/txt2vb/copyright" copyright)
if(NOT copyright MATCHES "\nLicense: Expat\n Permission is hereby granted")
  message(FATAL_ERROR "the copyright file does not hold the licence:\n${copyright}")
endif()
file(REMOVE_RECURSE "${prefix}")
