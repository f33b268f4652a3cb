# `cpack -G DEB` in the build folder makes lumaret_<version>_<arch>.deb from
# the install rules; dpkg-shlibdeps finds the libraries it depends on.
set(CPACK_PACKAGE_NAME lumaret)
set(CPACK_PACKAGE_VENDOR "The Lumaret developers")
set(CPACK_PACKAGE_CONTACT "The Lumaret developers <lumaret@lumaret.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "slideshow maker: pictures with captions to a PDF")
set(CPACK_PACKAGE_DESCRIPTION
    "Lumaret turns a list of pictures with captions into a self-running slideshow
packed into one PDF file: collect pictures, write a caption for each, choose
how long each picture stays, how the pictures fade, the background colour and
how the captions look, and export. lumaret-cli does the same without a window,
for batch use and scripts.")
set(CPACK_PACKAGE_HOMEPAGE_URL ${LUMARET_HOMEPAGE})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opening the exported PDF goes through the desktop's default viewer.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)

include(CPack)
