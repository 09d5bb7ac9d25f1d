# Cross-building the window for 64-bit Windows against a Qt for MinGW.
#   LINKHIVE_QT_MINGW  the Qt for MinGW's folder (the one holding lib/cmake/Qt6)
# The moc, rcc and uic of the host's Qt (the same version) do the code generation.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)

if(NOT LINKHIVE_QT_MINGW AND DEFINED ENV{LINKHIVE_QT_MINGW})
  set(LINKHIVE_QT_MINGW "$ENV{LINKHIVE_QT_MINGW}")
endif()
if(NOT LINKHIVE_QT_MINGW)
  message(FATAL_ERROR "Set LINKHIVE_QT_MINGW to the folder of a Qt 6 built for MinGW")
endif()
# try_compile projects see only what is passed on to them.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LINKHIVE_QT_MINGW)

list(APPEND CMAKE_FIND_ROOT_PATH ${LINKHIVE_QT_MINGW})
list(APPEND CMAKE_PREFIX_PATH ${LINKHIVE_QT_MINGW})
set(QT_HOST_PATH /usr CACHE PATH "The host's Qt, whose tools generate code")
# Debian keeps the host's Qt package files in the multiarch folder, where Qt does not look.
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "The host's Qt package files")
