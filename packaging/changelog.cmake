# Installs a package's changelog (/usr/share/doc/PACKAGE/changelog.gz),
# written when it is installed, as the packages are made, with the maintainer
# their control files name (maintainer.cmake). Run by `cmake --install` with
# SOURCE, BINARY, VERSION, FALLBACK_MAINTAINER and PACKAGE set.
include(${SOURCE}/packaging/maintainer.cmake)
kestrovan_package_maintainer(KESTROVAN_MAINTAINER "${FALLBACK_MAINTAINER}")
set(PROJECT_VERSION "${VERSION}")
set(folder "${BINARY}/changelog-${PACKAGE}")
configure_file("${SOURCE}/packaging/debian/changelog.in" "${folder}/changelog" @ONLY)
execute_process(COMMAND gzip -9nf "${folder}/changelog" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot gzip ${folder}/changelog")
endif()
file(INSTALL "${folder}/changelog.gz" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/doc/${PACKAGE}")
