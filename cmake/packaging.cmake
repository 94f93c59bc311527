# Installation and the Debian package.
#
#   cmake --install build --prefix P   installs P/bin/tarvix, P/bin/tarvix-plot,
#                                      P/bin/tarvix-compare, P/bin/tarvix-matrix,
#                                      their manual pages, bash completions and
#                                      the example data
#   (cd build && cpack -G DEB)         builds tarvix_<version>_<arch>.deb
#
# The version is the project version, the one number tarvix --version prints.

include(GNUInstallDirs)

add_subdirectory(completion)

install(TARGETS tarvix tarvix-plot tarvix-compare tarvix-matrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages go in compressed, as Debian's man expects them; gzip -n keeps
# the package reproducible (no name or time stamp in the archive).
set(TARVIX_MAN_PAGES tarvix.1 tarvix-plot.1 tarvix-compare.1 tarvix-matrix.1)
find_program(TARVIX_GZIP gzip)
foreach(page ${TARVIX_MAN_PAGES})
  set(source ${PROJECT_SOURCE_DIR}/man/${page})
  if(TARVIX_GZIP)
    set(compressed ${PROJECT_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${compressed}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
                       COMMAND ${TARVIX_GZIP} -9 -n -c ${source} > ${compressed}
                       DEPENDS ${source}
                       COMMENT "Compressing the manual page ${page}")
    list(APPEND TARVIX_INSTALLED_PAGES ${compressed})
  else()
    list(APPEND TARVIX_INSTALLED_PAGES ${source})
  endif()
endforeach()
add_custom_target(tarvix_man_pages ALL DEPENDS ${TARVIX_INSTALLED_PAGES})
install(FILES ${TARVIX_INSTALLED_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The pages must format without a single warning.
if(TARVIX_TESTS)
  find_program(TARVIX_GROFF groff)
  foreach(page ${TARVIX_MAN_PAGES})
    add_test(NAME man_page_${page}
             COMMAND sh -c "command -v \"$0\" >/dev/null || exit 77; \
                            warnings=$(\"$0\" -ww -z -man \"$1\" 2>&1) && [ -z \"$warnings\" ] \
                            || { printf '%s\\n' \"$warnings\"; exit 1; }"
                     ${TARVIX_GROFF} ${PROJECT_SOURCE_DIR}/man/${page})
    # 77: groff is not installed.
    set_tests_properties(man_page_${page} PROPERTIES SKIP_RETURN_CODE 77 LABELS package)
  endforeach()
endif()

# The example data, so that the manual's examples run as printed.
install(FILES examples/taxa30.dst examples/taxa30.phy examples/taxa30.tab examples/taxa30_ref.txt
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
# The real-data tour: fastANI's matrix of 33 Cupriavidus genomes, their
# deposited names, the data's own licence and the tour as a script.
install(FILES examples/cupriavidus/fastani_result.matrix examples/cupriavidus/species.tsv
              examples/cupriavidus/LICENSE examples/cupriavidus/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples/cupriavidus)
install(PROGRAMS examples/cupriavidus/tour.sh DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples/cupriavidus)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian's documentation files: the machine-readable copyright file (the
# project's licence and that of any bundled third-party data), and a
# changelog, compressed as Debian's tools expect. The changelog's date follows
# SOURCE_DATE_EPOCH when it is set, so that the package stays reproducible.
install(FILES cmake/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
string(TIMESTAMP TARVIX_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(cmake/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
if(TARVIX_GZIP)
  set(TARVIX_CHANGELOG ${PROJECT_BINARY_DIR}/debian/changelog.gz)
  add_custom_command(OUTPUT ${TARVIX_CHANGELOG}
                     COMMAND ${TARVIX_GZIP} -9 -n -c ${PROJECT_BINARY_DIR}/debian/changelog > ${TARVIX_CHANGELOG}
                     DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog
                     COMMENT "Compressing the Debian changelog")
  add_custom_target(tarvix_changelog ALL DEPENDS ${TARVIX_CHANGELOG})
  install(FILES ${TARVIX_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME tarvix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The tarvix developers")
set(CPACK_PACKAGE_CONTACT "The tarvix developers <tarvix@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "delimit taxa from distance matrices by threshold clustering")
set(CPACK_PACKAGE_DESCRIPTION "\
tarvix clusters taxa (strains, genomes, sequences) from a matrix of pairwise
distances by threshold clustering with a fraction-of-links fusion rule,
chooses the threshold that best matches reference taxonomies, tests that
choice by jackknifing the taxa, rates clusters, corrects reference partitions
and clusters under the guidance of a reference.
tarvix-plot draws its threshold and jackknife tables as SVG pictures.
tarvix-compare shows which reference groups a clustering merges and splits.
tarvix-matrix turns the output of fastANI, skani, mash, pair lists and
triangles into the square matrix that tarvix reads.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The run-time libraries come from the binaries themselves where Debian's
# dpkg-shlibdeps is there to read them; the fallback names the same ones (the
# C++ run time, and the OpenMP run time when the build uses it).
find_program(TARVIX_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TARVIX_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(TARVIX_RUNTIME_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11), zlib1g (>= 1:1.2)")
  if(OpenMP_CXX_FOUND)
    string(APPEND TARVIX_RUNTIME_DEPENDS ", libgomp1 (>= 6)")
  endif()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS ${TARVIX_RUNTIME_DEPENDS})
endif()

include(CPack)
