# Installation: the component library with its headers, CMake package and pkg-config
# file, the bundled catalogue beside the library, the command-line tool and the demo;
# CPack makes a Debian package of the same tree.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS nemro-formula RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/nemro-formula.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The catalogue sits beside the library; executables find theirs beside themselves, so
# the binary directory gets a link to the same file.
set(NEMRO_CATALOGUE ${PROJECT_SOURCE_DIR}/data/FormulaSet.xml)
if(EXISTS ${NEMRO_CATALOGUE})
  install(FILES ${NEMRO_CATALOGUE} DESTINATION ${CMAKE_INSTALL_LIBDIR})
  file(RELATIVE_PATH catalogue_from_bin /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR}/FormulaSet.xml)
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(CREATE_LINK \"${catalogue_from_bin}\" \"\${bin}/FormulaSet.xml\" SYMBOLIC)")
endif()

if(NOT TARGET NemroFormulaSet)
  return()
endif()

target_compile_features(NemroFormulaSet PUBLIC cxx_std_20)
install(TARGETS NemroFormulaSet EXPORT NemroFormulaSetTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
# Exactly the headers a host includes; module state, dialog internals and the scroll-bar
# messages stay private.
install(FILES
  ${PROJECT_SOURCE_DIR}/toolkit/include/nemro/export.h
  ${PROJECT_SOURCE_DIR}/toolkit/include/nemro/error.h
  ${PROJECT_SOURCE_DIR}/toolkit/include/nemro/message_box.h
  ${PROJECT_SOURCE_DIR}/toolkit/include/nemro/toolkit.h
  ${PROJECT_SOURCE_DIR}/engine/include/nemro/expression.h
  ${PROJECT_SOURCE_DIR}/engine/include/nemro/prepared.h
  ${PROJECT_SOURCE_DIR}/engine/include/nemro/functions.h
  ${PROJECT_SOURCE_DIR}/catalogue/include/nemro/catalogue.h
  ${PROJECT_SOURCE_DIR}/catalogue/include/nemro/catalogue_model.h
  ${PROJECT_SOURCE_DIR}/catalogue/include/nemro/function_index.h
  ${PROJECT_SOURCE_DIR}/catalogue/include/nemro/field_set.h
  ${PROJECT_SOURCE_DIR}/catalogue/include/nemro/formula_completion.h
  ${PROJECT_SOURCE_DIR}/formula_dialogs/include/nemro/formula_set.h
  ${PROJECT_SOURCE_DIR}/formula_dialogs/include/nemro/formula_edit.h
  ${PROJECT_SOURCE_DIR}/argument_lists/include/nemro/argument_set.h
  ${PROJECT_SOURCE_DIR}/c_api/include/nemro/nemro_c.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/nemro)

if(TARGET nemro-formula-demo)
  set_target_properties(nemro-formula-demo PROPERTIES
    INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  install(TARGETS nemro-formula-demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(NEMRO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/NemroFormulaSet)
install(EXPORT NemroFormulaSetTargets NAMESPACE NemroFormulaSet:: DESTINATION ${NEMRO_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/NemroFormulaSetConfig.cmake.in
  ${PROJECT_BINARY_DIR}/NemroFormulaSetConfig.cmake INSTALL_DESTINATION ${NEMRO_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/NemroFormulaSetConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/NemroFormulaSetConfig.cmake
              ${PROJECT_BINARY_DIR}/NemroFormulaSetConfigVersion.cmake
        DESTINATION ${NEMRO_CMAKE_DIR})
# Relative to the file itself, so that an installation can be moved.
file(RELATIVE_PATH NEMRO_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" NEMRO_PC_TO_PREFIX "${NEMRO_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/NemroFormulaSet.pc.in
  ${PROJECT_BINARY_DIR}/NemroFormulaSet.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/NemroFormulaSet.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nemro-formula-set)
set(CPACK_PACKAGE_VENDOR "NemroFormulaSet developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Formula composition dialogs, expression engine and command-line tool")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "NemroFormulaSet developers <maintainers@nemro.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# The demo links the package's own library, which dpkg-shlibdeps must find here.
get_target_property(NEMRO_LIBRARY_DIR NemroFormulaSet BINARY_DIR)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${NEMRO_LIBRARY_DIR})
include(CPack)
