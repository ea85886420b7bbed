# What the updater program's tests need beyond the core library: the
# compiled-in resources, the built program itself, and a small application
# program that the updater stops and restarts in end-to-end tests.
if(TARGET GKBriselUpdate)
  add_executable(gk_recording_app "${CMAKE_CURRENT_SOURCE_DIR}/apps/recording_app.cpp")
  gk_warnings(gk_recording_app)

  target_link_libraries(updater_tests PRIVATE updater_resources)
  add_dependencies(updater_tests GKBriselUpdate gk_recording_app GKSignList)
  target_compile_definitions(updater_tests PRIVATE
    GK_UPDATER_EXE="$<TARGET_FILE:GKBriselUpdate>"
    GK_RECORDING_APP_EXE="$<TARGET_FILE:gk_recording_app>"
    GK_SIGNLIST_EXE="$<TARGET_FILE:GKSignList>"
    GK_TEST_OUTPUT_DIR="${CMAKE_CURRENT_BINARY_DIR}")
endif()
