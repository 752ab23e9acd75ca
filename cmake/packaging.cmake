# `make package`: a zip with velmora.exe, the bundled example meshes and the README, and a Windows
# Installer package of velmora.exe beside it.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples
        FILES_MATCHING PATTERN "*.[nes]" PATTERN "README.md")
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . OPTIONAL)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Velmora)
set(CPACK_PACKAGE_VENDOR Velmora)
set(velmora_package_name Velmora-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_FILE_NAME ${velmora_package_name})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

# The .msi is part of every build, so that the installer's test under Wine has it: wixl takes a
# fraction of a second. It carries the project's version, the one the version resource shows.
find_program(VELMORA_WIXL wixl REQUIRED)
# wixl finds its sources only by paths relative to where it runs.
set(VELMORA_MSI ${CMAKE_BINARY_DIR}/${velmora_package_name}.msi)
set(VELMORA_WXS ${CMAKE_CURRENT_LIST_DIR}/velmora.wxs)
add_custom_command(OUTPUT ${VELMORA_MSI}
    COMMAND ${CMAKE_COMMAND} -E make_directory msi
    COMMAND ${CMAKE_STRIP} -o msi/velmora.exe $<TARGET_FILE:velmora>
    COMMAND ${VELMORA_WIXL} --arch x64 --define Version=${PROJECT_VERSION}
            --define VelmoraExe=msi/velmora.exe --output ${VELMORA_MSI} ${VELMORA_WXS}
    DEPENDS velmora ${VELMORA_WXS}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Making ${velmora_package_name}.msi"
    VERBATIM)
add_custom_target(velmora_msi ALL DEPENDS ${VELMORA_MSI})
