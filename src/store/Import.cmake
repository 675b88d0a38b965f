# Included by this folder's CMakeLists.txt: import and export of recipe files.
add_library(kx_import STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Import.h
  ${CMAKE_CURRENT_LIST_DIR}/Import.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JetRecipeReader.h
  ${CMAKE_CURRENT_LIST_DIR}/JetRecipeReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Export.h
  ${CMAKE_CURRENT_LIST_DIR}/Export.cpp
)
target_include_directories(kx_import PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(kx_import PUBLIC kx_store kx_formats kx_jetmigration)
