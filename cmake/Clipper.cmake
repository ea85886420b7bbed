# ClipperLib 6.4 compiled from Debian's source package (fetched into the
# dependency cache by scripts/setup.sh) with its Z coordinate (use_xyz):
# every IntPoint carries a 64-bit Z through clipping. Static and
# position-independent so that it links privately into the shared Engine.
set(GK_CLIPPER_DIR "${GK_DEPS_DIR}/polyclipping/cpp")
if(NOT EXISTS "${GK_CLIPPER_DIR}/clipper.cpp")
  message(FATAL_ERROR "ClipperLib source not found in ${GK_CLIPPER_DIR}; run scripts/setup.sh first.")
endif()
add_library(gk_clipper STATIC "${GK_CLIPPER_DIR}/clipper.cpp")
target_include_directories(gk_clipper SYSTEM PUBLIC "$<BUILD_INTERFACE:${GK_CLIPPER_DIR}>")
target_compile_definitions(gk_clipper PUBLIC use_xyz)
set_target_properties(gk_clipper PROPERTIES POSITION_INDEPENDENT_CODE ON
  CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
