# The packages' maintainer, one rule for their control files and their
# changelogs alike: the packager's DEBFULLNAME <DEBEMAIL> when DEBEMAIL is set
# (DEBEMAIL may itself be "Name <address>"), as Debian's own tools take them,
# else the tree's KESTROVAN_MAINTAINER. Read when the packages are made
# (cpack), so whoever packages a tree names its maintainer.
function(kestrovan_package_maintainer out fallback)
  set(maintainer "${fallback}")
  if(NOT "$ENV{DEBEMAIL}" STREQUAL "")
    if("$ENV{DEBEMAIL}" MATCHES "<" OR "$ENV{DEBFULLNAME}" STREQUAL "")
      set(maintainer "$ENV{DEBEMAIL}")
    else()
      set(maintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
    endif()
  endif()
  set(${out} "${maintainer}" PARENT_SCOPE)
endfunction()
