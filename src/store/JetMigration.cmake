# Included by this folder's CMakeLists.txt: the conversion of Jet (.mdb) recipe databases.
add_library(kx_jetmigration STATIC
  ${CMAKE_CURRENT_LIST_DIR}/JetMigration.h
  ${CMAKE_CURRENT_LIST_DIR}/JetMigration.cpp
)
target_include_directories(kx_jetmigration PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(kx_jetmigration PUBLIC kx_store kx_jet kx_dao kx_vb Qt6::Widgets)
# The conversion reads Jet files through this program; build it whenever the conversion is.
add_dependencies(kx_jetmigration kitchenex-jet-reader)
