# cpack -G DEB: one package with both programs and their data; the library
# dependencies are worked out by dpkg-shlibdeps from the installed binaries.
set(CPACK_PACKAGE_NAME "brisk")
set(CPACK_PACKAGE_VENDOR "The BRISK Vezoriv team")
set(CPACK_PACKAGE_CONTACT "BRISK Vezoriv team <brisk@brisk-vezoriv.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Measure how you handle e-mail")
set(CPACK_PACKAGE_DESCRIPTION
    "BRISK Vezoriv Rireviru walks a folder of your mail store and shows live e-mails per day, the median time to answer, the share of replies and of one-to-one mail, the top senders and receivers and a chart over hours, weekdays or months. It exports the results into a spreadsheet workbook.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${BRISK_PRODUCT_HOME_PAGE_URL}")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "mail")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcurl and libzip are loaded when an IMAP account is opened or a
# workbook read or written, so dpkg-shlibdeps does not see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4, libzip4")
set(CPACK_STRIP_FILES ON)
# The package installs where the build was configured to (its manual pages
# name these paths): configure with -DCMAKE_INSTALL_PREFIX=/usr for a package.
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
include(CPack)
