# Read by cpack for each package; CORVALLO_DEB_SCHEME (given with -D) says
# where the deliverables lie in it: at their device paths (plain) or all
# under /var/jb (rootless).
if(CORVALLO_DEB_SCHEME STREQUAL "plain")
  set(CPACK_INSTALLED_DIRECTORIES "${CPACK_CORVALLO_DELIVERABLES_IMAGE};.")
elseif(CORVALLO_DEB_SCHEME STREQUAL "rootless")
  set(CPACK_INSTALLED_DIRECTORIES "${CPACK_CORVALLO_DELIVERABLES_IMAGE};var/jb")
else()
  message(FATAL_ERROR "CORVALLO_DEB_SCHEME is plain or rootless, not '${CORVALLO_DEB_SCHEME}'")
endif()
set(CPACK_DEBIAN_FILE_NAME "${CPACK_PACKAGE_NAME}_${CPACK_PACKAGE_VERSION}_${CORVALLO_DEB_SCHEME}.deb")

# The binaries are Linux ELF files for Corvallo's simulated device, not for
# a phone: the architecture says so rather than claiming iphoneos-arm.
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "dpkg --print-architecture failed; the package names the host's architecture")
endif()
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "corvallo-simulated-${arch}")

# CPack writes only the control fields it knows. The package managers of
# jailbroken devices also read Name and Author, so they follow Section's
# value on lines of their own, which CPack copies as given.
string(APPEND CPACK_DEBIAN_PACKAGE_SECTION "\nName: Corvallo\nAuthor: Tenvarix")

set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
Hides the page dots below the home-screen icon pages, optionally those of
widget stacks too, and recolours the current and the other dots. Settings
live in their own page in the Settings app. Built for the simulated device
of the Corvallo project (${CORVALLO_DEB_SCHEME} scheme).")
