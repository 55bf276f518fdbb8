# `make package`: the Debian package a technician installs with
# `sudo apt install ./vorel_3.21_amd64.deb`. Its library dependencies are worked out
# from the programs themselves by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorel)
set(CPACK_PACKAGE_VENDOR Vantrell)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(VOREL_PACKAGE_MAINTAINER "Vantrell service tools <service-tools@vantrell.example>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${VOREL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "service and configuration tool for MQ350 laundry detergent dispensers")
# The long description: lines of at most 79 characters, as dpkg shows them.
set(CPACK_PACKAGE_DESCRIPTION
"Vorel builds the configuration of a TL4200 dispenser controller: system
settings, alarm routing, ten washing machines with their triggers, pump
calibration and the dispensing programs. It keeps the configuration in an XML
system file and reads and writes the controller's memory over a serial line
or through a gateway server.

The package holds the windowed tool (vorel), its command-line companion
(vorelctl) and a controller and gateway simulator for demonstrations and
training (vorel-sim).

A serial port may be opened only by the members of its group, usually
dialout: add each technician with `sudo usermod -aG dialout USERNAME`.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
