# Read by cpack when it builds the package (CPACK_PROJECT_CONFIG_FILE): the
# maintainer named by the packager's DEBFULLNAME and DEBEMAIL, as Debian's
# own tools take them, wins over the one the tree was configured with.
if(NOT "$ENV{DEBEMAIL}" STREQUAL "")
  set(CPACK_PACKAGE_CONTACT "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
  if("$ENV{DEBFULLNAME}" STREQUAL "")
    set(CPACK_PACKAGE_CONTACT "$ENV{DEBEMAIL}")
  endif()
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
endif()
