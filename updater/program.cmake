# The GKBriselUpdate program: its entry point and its compiled-in resources
# (icon, skin style sheet, the English and Chinese translation catalogues).
# Included from updater/CMakeLists.txt after updater_core exists.

find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(GK_UPDATER_RES "${CMAKE_CURRENT_SOURCE_DIR}/resources")
set(GK_UPDATER_GEN "${CMAKE_CURRENT_BINARY_DIR}/resources")
file(MAKE_DIRECTORY "${GK_UPDATER_GEN}")

# Catalogues: the .ts sources are committed, lrelease compiles them here.
set(GK_UPDATER_TS
  "${GK_UPDATER_RES}/gktallowupdate_en.ts"
  "${GK_UPDATER_RES}/GKTallowUpdate_zh.ts")
set_source_files_properties(${GK_UPDATER_TS} PROPERTIES OUTPUT_LOCATION "${GK_UPDATER_GEN}")
qt5_add_translation(GK_UPDATER_QM ${GK_UPDATER_TS})

# The icon is drawn by a script at build time.
set(GK_ICON_FILE "${GK_UPDATER_GEN}/main.ico")
add_custom_command(OUTPUT "${GK_ICON_FILE}"
  COMMAND Python3::Interpreter "${GK_UPDATER_RES}/make_icon.py" "${GK_ICON_FILE}"
  DEPENDS "${GK_UPDATER_RES}/make_icon.py"
  COMMENT "Drawing the updater icon" VERBATIM)

set(GK_STYLE_FILE "${GK_UPDATER_RES}/gray.css")
set(GK_QM_EN "${GK_UPDATER_GEN}/gktallowupdate_en.qm")
set(GK_QM_ZH "${GK_UPDATER_GEN}/GKTallowUpdate_zh.qm")
configure_file("${GK_UPDATER_RES}/GKTallowUpdate.qrc.in" "${GK_UPDATER_GEN}/GKTallowUpdate.qrc" @ONLY)
qt5_add_resources(GK_UPDATER_RCC "${GK_UPDATER_GEN}/GKTallowUpdate.qrc")

# An object library, so the resources' static registration is always linked
# in; the program and the tests both use it.
add_library(updater_resources OBJECT ${GK_UPDATER_RCC})
set_target_properties(updater_resources PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
target_link_libraries(updater_resources PUBLIC Qt5::Core)

add_executable(GKBriselUpdate "${CMAKE_CURRENT_SOURCE_DIR}/src/main.cpp")
target_link_libraries(GKBriselUpdate PRIVATE updater_core updater_resources)
gk_warnings(GKBriselUpdate)
install(TARGETS GKBriselUpdate RUNTIME DESTINATION ${GK_INSTALL_APPDIR})
# The settings template becomes updata.ini only where none exists: an
# installation over an existing folder keeps the user's settings.
install(CODE "set(gk_settings_template \"${GK_UPDATER_RES}/updata.ini\")
set(gk_settings_folder \"${GK_INSTALL_APPDIR}\")")
install(CODE [[
  set(gk_folder "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${gk_settings_folder}")
  get_filename_component(gk_folder "${gk_folder}" ABSOLUTE)
  if(EXISTS "${gk_folder}/updata.ini")
    message(STATUS "Kept: ${gk_folder}/updata.ini")
  else()
    file(MAKE_DIRECTORY "${gk_folder}")
    file(COPY_FILE "${gk_settings_template}" "${gk_folder}/updata.ini")
    message(STATUS "Installing: ${gk_folder}/updata.ini")
  endif()
]])
