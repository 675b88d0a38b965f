# Where an installed Kitchenex keeps its parts, and the one name it is known by to the desktop.
include(GNUInstallDirs)

# The reverse-DNS id, built on the product's domain: the desktop entry, the AppStream
# metadata and the icons are named after it.
set(KX_DOMAIN "kitchenex.example")
set(KX_APP_ID "example.kitchenex.Kitchenex")

# The Jet reader child and the starter database, relative to the folder of the installed
# program, so that they are found wherever the whole tree is installed (or unpacked).
set(KX_LIBEXEC_SUBDIR "${CMAKE_INSTALL_LIBEXECDIR}/kitchenex")
set(KX_DATA_SUBDIR "${CMAKE_INSTALL_DATADIR}/kitchenex")
file(RELATIVE_PATH KX_JET_READER_FROM_PROGRAM "/p/${CMAKE_INSTALL_BINDIR}" "/p/${KX_LIBEXEC_SUBDIR}")
file(RELATIVE_PATH KX_STARTER_FROM_PROGRAM "/p/${CMAKE_INSTALL_BINDIR}" "/p/${KX_DATA_SUBDIR}/Recipe.mdb")
