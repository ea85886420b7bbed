# ClipperLib 6.4.2 compiled from Debian's source package (fetched into the
# dependency cache by scripts/setup.sh) with its Z coordinate (use_xyz):
# every IntPoint carries a 64-bit Z through clipping. Static and
# position-independent so that it links privately into the shared Engine;
# its symbols stay hidden there.
include_guard(GLOBAL)
cmake_path(GET CMAKE_CURRENT_LIST_DIR PARENT_PATH gk_tree)
set(GK_DEPS_DIR "${gk_tree}/.deps" CACHE PATH "Dependency cache filled by scripts/setup.sh")
set(GK_CLIPPER_VERSION "6.4.2")
set(GK_CLIPPER_DIR "${GK_DEPS_DIR}/polyclipping/cpp")
if(NOT EXISTS "${GK_CLIPPER_DIR}/clipper.cpp" OR NOT EXISTS "${GK_CLIPPER_DIR}/clipper.hpp")
  message(FATAL_ERROR "ClipperLib source not found in ${GK_CLIPPER_DIR}; run scripts/setup.sh first.")
endif()
# The glue relies on this version's behaviour (its Z fill callback, its
# integer range): any other source in the cache stops the configuration.
file(STRINGS "${GK_CLIPPER_DIR}/clipper.hpp" gk_clipper_version_line REGEX "^#define CLIPPER_VERSION ")
if(NOT gk_clipper_version_line MATCHES "\"${GK_CLIPPER_VERSION}\"")
  message(FATAL_ERROR "ClipperLib in ${GK_CLIPPER_DIR} is not version ${GK_CLIPPER_VERSION} "
    "('${gk_clipper_version_line}'); remove ${GK_DEPS_DIR}/polyclipping and run scripts/setup.sh.")
endif()
add_library(gk_clipper STATIC "${GK_CLIPPER_DIR}/clipper.cpp")
target_include_directories(gk_clipper SYSTEM PUBLIC "$<BUILD_INTERFACE:${GK_CLIPPER_DIR}>")
target_compile_definitions(gk_clipper PUBLIC use_xyz)
set_target_properties(gk_clipper PROPERTIES POSITION_INDEPENDENT_CODE ON
  CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
