# Installation and the Debian package.
#
# Every program the build makes under src/ goes to bin/, next to `sheetbasis`, where a
# program it starts is found; shared libraries go to lib/sheetbasis/, found through the
# run path. The rules look the targets up rather than naming them, so that a program or
# library added later is installed too. Developer tools live outside src/ and stay out.
set(SHEETBASIS_PRIVATE_LIB_DIR lib/sheetbasis)
# Two Debian packages: `sheetbasis`, the programs without QGIS, and `sheetbasis-print`, the
# printing program (--pdf), which alone needs QGIS's libraries. A program goes to the
# package its SHEETBASIS_PACKAGE_COMPONENT property names; everything else to `sheetbasis`.
set(SHEETBASIS_MAIN_COMPONENT programs)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME ${SHEETBASIS_MAIN_COMPONENT})

function(sheetbasis_targets_below dir result)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
        sheetbasis_targets_below(${sub} below)
        list(APPEND targets ${below})
    endforeach()
    set(${result} ${targets} PARENT_SCOPE)
endfunction()

sheetbasis_targets_below(${PROJECT_SOURCE_DIR}/src SHEETBASIS_SOURCE_TARGETS)
set(SHEETBASIS_PROGRAMS)
set(SHEETBASIS_SHARED_LIBRARIES)
foreach(target IN LISTS SHEETBASIS_SOURCE_TARGETS)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        list(APPEND SHEETBASIS_PROGRAMS ${target})
    elseif(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
        list(APPEND SHEETBASIS_SHARED_LIBRARIES ${target})
    endif()
endforeach()
foreach(program IN LISTS SHEETBASIS_PROGRAMS)
    get_target_property(component ${program} SHEETBASIS_PACKAGE_COMPONENT)
    if(NOT component)
        set(component ${SHEETBASIS_MAIN_COMPONENT})
    endif()
    install(TARGETS ${program} RUNTIME DESTINATION bin COMPONENT ${component})
endforeach()
# A run path only when there is a library of our own to find: an unneeded one would be
# padded in the build tree with empty entries, which the loader takes as the current folder.
if(SHEETBASIS_SHARED_LIBRARIES)
    set_target_properties(${SHEETBASIS_PROGRAMS} PROPERTIES
        INSTALL_RPATH "$ORIGIN/../${SHEETBASIS_PRIVATE_LIB_DIR}")
    install(TARGETS ${SHEETBASIS_SHARED_LIBRARIES} LIBRARY DESTINATION ${SHEETBASIS_PRIVATE_LIB_DIR})
endif()

if(SHEETBASIS_BUILD_UI)
    install(FILES ${PROJECT_SOURCE_DIR}/data/sheetbasis.desktop DESTINATION share/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/data/sheetbasis.svg
            DESTINATION share/icons/hicolor/scalable/apps)
endif()
# The README with its pages and pictures beside it, at the relative paths its links use.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/sheetbasis)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION share/doc/sheetbasis/docs
        FILES_MATCHING PATTERN "*.png" PATTERN "*.md")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sheetbasis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "mathematical basis of topographic and geological map sheets as GIS layers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "sheetbasis developers <sheetbasis@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_STRIP_FILES ON)
# The dependencies are the Debian packages of the libraries the programs link, as
# dpkg-shlibdeps (dpkg-dev) finds them: for `sheetbasis` the interface's Qt 6, for
# `sheetbasis-print` QGIS's libraries and Qt 5.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A package's dependency on another of these is on the same version.
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

string(TOUPPER ${SHEETBASIS_MAIN_COMPONENT} mainPackageKey)
set(CPACK_DEBIAN_${mainPackageKey}_PACKAGE_NAME sheetbasis)
set(CPACK_COMPONENT_${mainPackageKey}_DESCRIPTION
    "The layers, styles and QGIS projects of map sheets, sheet sets and job files.")
# The font families the layer styles set the frame labels in (README, "Label fonts"). The
# programs do not need them, and QGIS sets the labels in another family where one is
# missing, but then not at the lengths the frame keeps for them: recommended, installed by
# default.
set(CPACK_DEBIAN_${mainPackageKey}_PACKAGE_RECOMMENDS "fonts-lato, fonts-averia-sans-gwf, fonts-urw-base35")
set(CPACK_DEBIAN_${mainPackageKey}_PACKAGE_SUGGESTS sheetbasis-print)
set(SHEETBASIS_PACKAGE_COMPONENTS ${SHEETBASIS_MAIN_COMPONENT})

if(TARGET sheetbasis-print)
    get_target_property(printing sheetbasis-print SHEETBASIS_PACKAGE_COMPONENT)
    string(TOUPPER ${printing} printPackageKey)
    set(CPACK_DEBIAN_${printPackageKey}_PACKAGE_NAME sheetbasis-print)
    set(CPACK_COMPONENT_${printPackageKey}_DESCRIPTION
        "Prints the sheets and index maps that sheetbasis writes to PDF (--pdf) with QGIS.")
    # QGIS's data providers, which the printing program loads to read the layers: not
    # linked, so not found by dpkg-shlibdeps.
    set(CPACK_DEBIAN_${printPackageKey}_PACKAGE_DEPENDS qgis-providers)
    # It is started by `sheetbasis` of its own version: the requests they exchange change
    # with it.
    set(CPACK_COMPONENT_${printPackageKey}_DEPENDS ${SHEETBASIS_MAIN_COMPONENT})
    list(APPEND SHEETBASIS_PACKAGE_COMPONENTS ${printing})
endif()
set(CPACK_COMPONENTS_ALL ${SHEETBASIS_PACKAGE_COMPONENTS})
include(CPack)
