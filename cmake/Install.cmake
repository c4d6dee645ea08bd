# Installation and the Debian package.
#
# The build tree keeps the Windows layout (programs, libplumage.so and data in
# one directory); an installation follows the GNU directories instead:
#
#   bin/                              kestrel, merlin, wren, tern, aviary-sim, aviary-backup
#   lib/aviary/                       libplumage.so, private to the suite
#   share/aviary/                     the installation directory ("InstallPath"):
#                                     DeviceData/, Help/, and the folders the
#                                     programs write into (tvk/, parameter/, custom/)
#   share/applications, share/icons/hicolor, share/man/man1
#   share/dbus-1/services/            Tern's activation file
#   <sysconfdir>/xdg/aviary/          HKLM.ini (installation key) and HKCR.ini
#                                     (Tern's class): the system layer of the
#                                     registry store, so nobody registers by hand
#
# `cmake --install build [--prefix DIR]` and `cpack` (from the build tree) use
# the same rules. Included at the end of the top-level CMakeLists.txt, when
# every target exists.
include(GNUInstallDirs)

set(AVIARY_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/aviary)
set(AVIARY_INSTALL_LIB_DIR ${CMAKE_INSTALL_LIBDIR}/aviary)
# Where the programs look for the system layer when the XDG configuration
# directories hold none: fixed now, for this prefix.
set(AVIARY_SYSTEM_REGISTRY_DIR ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/aviary)
target_compile_definitions(aviary_platform PRIVATE AVIARY_SYSTEM_REGISTRY_DIR="${AVIARY_SYSTEM_REGISTRY_DIR}")

# The version the programs print (--version) and the manual pages carry.
configure_file(${PROJECT_SOURCE_DIR}/packaging/AviaryVersion.h.in
               ${PROJECT_BINARY_DIR}/generated/AviaryVersion.h @ONLY)

# Programs the installation carries.
set(AVIARY_INSTALLED_PROGRAMS kestrel merlin wren tern aviary-sim aviary-backup)
set(AVIARY_DESKTOP_PROGRAMS kestrel merlin wren)

file(RELATIVE_PATH _bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/aviary)
foreach(p ${AVIARY_INSTALLED_PROGRAMS})
  set_target_properties(${p} PROPERTIES INSTALL_RPATH "$ORIGIN/${_bin_to_lib}")
  install(TARGETS ${p} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
install(TARGETS plumage LIBRARY DESTINATION ${AVIARY_INSTALL_LIB_DIR})

# --- the installation directory --------------------------------------------
install(DIRECTORY ${PROJECT_SOURCE_DIR}/merlin/DeviceData/
        DESTINATION ${AVIARY_INSTALL_DATA_DIR}/DeviceData FILES_MATCHING PATTERN "*.dpf")
# Folders the programs write into (a user of a system-wide installation gets
# a mirror of them) and the help folder, which has no PDF files of its own yet.
set(_empty ${CMAKE_BINARY_DIR}/packaging/empty)
file(MAKE_DIRECTORY ${_empty})
foreach(d tvk parameter custom "Help/RHX,RQ 9000")
  install(DIRECTORY ${_empty}/ DESTINATION "${AVIARY_INSTALL_DATA_DIR}/${d}")
endforeach()

# --- build-time tools --------------------------------------------------------
aviary_library(aviary_system_registry packaging/registry LIBS tern_server aviary_platform plumage)
add_executable(aviary-system-registry packaging/tools/aviary-system-registry.cpp)
target_link_libraries(aviary-system-registry PRIVATE aviary_system_registry)
add_executable(aviary-icons packaging/tools/aviary-icons.cpp)
target_link_libraries(aviary-icons PRIVATE wren_ui aviary_shell Qt6::Gui)
set_target_properties(aviary-system-registry aviary-icons PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)

# --- desktop entries and icons ----------------------------------------------
set(_icons ${CMAKE_BINARY_DIR}/packaging/icons)
add_custom_command(OUTPUT ${_icons}/stamp
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:aviary-icons> ${_icons}
  COMMAND ${CMAKE_COMMAND} -E touch ${_icons}/stamp
  DEPENDS aviary-icons
  COMMENT "Painting the desktop icons")
add_custom_target(aviary_icons ALL DEPENDS ${_icons}/stamp)
foreach(p ${AVIARY_DESKTOP_PROGRAMS})
  install(FILES packaging/desktop/aviary-${p}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(DIRECTORY ${_icons}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor
          FILES_MATCHING PATTERN "aviary-${p}.png")
endforeach()

# --- manual pages --------------------------------------------------------------
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(_man ${CMAKE_BINARY_DIR}/packaging/man)
set(_man_pages)
foreach(p ${AVIARY_INSTALLED_PROGRAMS})
  if(EXISTS ${PROJECT_SOURCE_DIR}/packaging/man/${p}.1)
    configure_file(packaging/man/${p}.1 ${_man}/${p}.1 @ONLY)
    add_custom_command(OUTPUT ${_man}/${p}.1.gz
      COMMAND ${GZIP_EXECUTABLE} -9nf ${_man}/${p}.1 -c > ${_man}/${p}.1.gz
      DEPENDS ${_man}/${p}.1)
    list(APPEND _man_pages ${_man}/${p}.1.gz)
  endif()
endforeach()
add_custom_target(aviary_man ALL DEPENDS ${_man_pages})
install(FILES ${_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# --- documentation: the user guide with its screenshots, the copyright ----------
set(_doc ${CMAKE_INSTALL_DATADIR}/doc/aviary)
configure_file(packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${GZIP_EXECUTABLE} -9nc ${CMAKE_BINARY_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog)
add_custom_target(aviary_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES packaging/copyright docs/guide.md ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${_doc})
install(DIRECTORY docs/images/ DESTINATION ${_doc}/images FILES_MATCHING PATTERN "*.png")
# Every picture the guide shows is there, and a demo tour takes it.
add_test(NAME guide_images COMMAND ${PROJECT_SOURCE_DIR}/scripts/guide-images.sh
         ${PROJECT_SOURCE_DIR}/docs/guide.md ${PROJECT_SOURCE_DIR}/docs/images ${PROJECT_SOURCE_DIR})

# --- system registry and D-Bus activation -------------------------------------
# Written when installing, for the prefix installed to: a package built for
# /usr puts the registry into /etc/xdg/aviary; another prefix than the one
# configured gets <prefix>/etc/xdg/aviary, which the programs then find
# through XDG_CONFIG_DIRS.
install(CODE "
  set(_prefix \"\${CMAKE_INSTALL_PREFIX}\")
  if(_prefix STREQUAL \"/usr\")
    set(_registry \"/etc/xdg/aviary\")
  elseif(_prefix STREQUAL \"${CMAKE_INSTALL_PREFIX}\")
    set(_registry \"${AVIARY_SYSTEM_REGISTRY_DIR}\")
  else()
    set(_registry \"\${_prefix}/etc/xdg/aviary\")
  endif()
  set(_services \"\${_prefix}/${CMAKE_INSTALL_DATADIR}/dbus-1/services\")
  message(STATUS \"Registering: \$ENV{DESTDIR}\${_registry}, \$ENV{DESTDIR}\${_services}\")
  execute_process(COMMAND \"$<TARGET_FILE:aviary-system-registry>\"
      \"\$ENV{DESTDIR}\${_registry}\" \"\$ENV{DESTDIR}\${_services}\"
      \"\${_prefix}/${AVIARY_INSTALL_DATA_DIR}\" \"\${_prefix}/${CMAKE_INSTALL_BINDIR}/tern\"
      RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR \"aviary-system-registry failed (\${_rc})\")
  endif()
  # The suite's own folders are open to every user, whatever the installing
  # shell's umask (sudo with 077 would lock everybody else out of them).
  set(_own \"\$ENV{DESTDIR}\${_prefix}/${AVIARY_INSTALL_DATA_DIR}\" \"\$ENV{DESTDIR}\${_prefix}/${AVIARY_INSTALL_LIB_DIR}\")
  foreach(_top \${_own})
    file(GLOB_RECURSE _below LIST_DIRECTORIES true \"\${_top}/*\")
    foreach(_d \${_top} \${_below})
      if(IS_DIRECTORY \"\${_d}\" AND NOT IS_SYMLINK \"\${_d}\")
        file(CHMOD \"\${_d}\" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                      WORLD_READ WORLD_EXECUTE)
      endif()
    endforeach()
  endforeach()
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\$ENV{DESTDIR}\${_registry}/HKLM.ini\"
       \"\$ENV{DESTDIR}\${_registry}/HKCR.ini\" \"\$ENV{DESTDIR}\${_services}/org.aviary.Tern.service\")
")

aviary_tests(packaging/tests LIBS aviary_system_registry aviary_shell tern_client aviary_platform)

# --- the Debian package ----------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME aviary)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Aviary")
set(CPACK_PACKAGE_CONTACT "Aviary maintainers <aviary@aviary-drives.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service programs for frequency inverters on an RS-485 bus")
set(CPACK_PACKAGE_DESCRIPTION "Aviary lets a service engineer find the drives on a serial RS-485 bus,
read and change their parameters online, transfer, compare and convert
parameter sets, read fault histories and run a drive from an on-screen
keypad. Kestrel serves the RHX/RQ9000 family (SIO protocol), Merlin the
LM3/LT4 family (Modbus through the link server Tern); Wren picks the family.
aviary-sim provides simulated drives for training and demonstrations.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libplumage is found in the package itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
# Beside the libraries dpkg-shlibdeps finds: the session bus that starts Tern,
# and what opens help files and reports.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "default-dbus-session-bus | dbus-session-bus, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "socat")
# The system layer of the registry is the administrator's to edit (another
# installation folder, a class registration): dpkg keeps an edited file on
# reinstall and upgrade instead of overwriting it.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/conffiles)
include(CPack)
