# Read by cpack when it makes the packages (CPACK_PROJECT_CONFIG_FILE): their
# maintainer by the one rule their changelogs are written by.
include(${CMAKE_CURRENT_LIST_DIR}/maintainer.cmake)
kestrovan_package_maintainer(CPACK_PACKAGE_CONTACT "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
