# resources.cmake - builds Zenvrix's resources: turns the text pixel art of
# this folder into toolbar.bmp, info.bmp and zenvrix.ico, and tells the
# executable how to compile zenvrix.rc with windres.
#
# Include it from the top-level CMakeLists.txt after enable_language(RC):
#
#     include(resources/resources.cmake)
#     add_executable(zenvrix WIN32 ... ${ZENVRIX_RC_FILE})
#     zenvrix_use_resources(zenvrix)
#
# It defines:
#   ZENVRIX_RC_FILE      full path of zenvrix.rc (a source of the executable)
#   ZENVRIX_RC_DEPENDS   the generated pictures and resource.h, which the
#                        compiled .rc depends on
#   ZENVRIX_RC_INCLUDES  include folders windres needs: this folder (for
#                        resource.h) and the folder of the generated pictures
#   ZENVRIX_RC_IMAGE_DIR ${CMAKE_CURRENT_BINARY_DIR}/resources, where the
#                        pictures are written
#   zenvrix_resource_images   a custom target that makes the pictures
#   version.h            written to ZENVRIX_RC_IMAGE_DIR from version.h.in:
#                        the version of project() for the .rc and the code
#   zenvrix_version_resource(<target> <description>)  gives <target> a
#                        version resource (VERSIONINFO) of its own
#   zenvrix_use_resources(<target>)  adds the .rc to <target> (if it is not
#                        a source yet) with its include folders and
#                        dependencies; works for a target of any directory.
# The .rc source also gets INCLUDE_DIRECTORIES and OBJECT_DEPENDS in the
# including directory, so listing ${ZENVRIX_RC_FILE} among the sources of a
# target of that directory is enough there.

set(ZENVRIX_RC_SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}")
set(ZENVRIX_RC_IMAGE_DIR "${CMAKE_CURRENT_BINARY_DIR}/resources")
set(ZENVRIX_RC_FILE "${ZENVRIX_RC_SOURCE_DIR}/zenvrix.rc")

# The converter uses only Python's standard library; Debian's interpreter is
# preferred so that a separate python3 earlier on PATH does not matter.
if(NOT ZENVRIX_PYTHON3)
  if(EXISTS /usr/bin/python3)
    set(ZENVRIX_PYTHON3 /usr/bin/python3 CACHE FILEPATH "Python 3 used to build the resource pictures")
  else()
    find_program(ZENVRIX_PYTHON3 NAMES python3 python REQUIRED)
  endif()
endif()

set(_zenvrix_mkimages "${ZENVRIX_RC_SOURCE_DIR}/../scripts/mkimages.py")
get_filename_component(_zenvrix_mkimages "${_zenvrix_mkimages}" ABSOLUTE)

# Pixel-art source -> generated picture, in pairs.
set(_zenvrix_art
  toolbar.txt toolbar.bmp
  info.txt    info.bmp
  icon.txt    zenvrix.ico)

set(_zenvrix_args)
set(_zenvrix_sources)
set(_zenvrix_images)
list(LENGTH _zenvrix_art _zenvrix_n)
math(EXPR _zenvrix_last "${_zenvrix_n} - 1")
foreach(_i RANGE 0 ${_zenvrix_last} 2)
  math(EXPR _j "${_i} + 1")
  list(GET _zenvrix_art ${_i} _src)
  list(GET _zenvrix_art ${_j} _out)
  list(APPEND _zenvrix_sources "${ZENVRIX_RC_SOURCE_DIR}/${_src}")
  list(APPEND _zenvrix_images "${ZENVRIX_RC_IMAGE_DIR}/${_out}")
  list(APPEND _zenvrix_args "${ZENVRIX_RC_SOURCE_DIR}/${_src}" "${ZENVRIX_RC_IMAGE_DIR}/${_out}")
endforeach()

add_custom_command(
  OUTPUT ${_zenvrix_images}
  COMMAND ${CMAKE_COMMAND} -E make_directory "${ZENVRIX_RC_IMAGE_DIR}"
  COMMAND ${ZENVRIX_PYTHON3} "${_zenvrix_mkimages}" ${_zenvrix_args}
  DEPENDS "${_zenvrix_mkimages}" ${_zenvrix_sources}
  COMMENT "Making toolbar, Info picture and icon from pixel art"
  VERBATIM)
add_custom_target(zenvrix_resource_images DEPENDS ${_zenvrix_images})

configure_file("${ZENVRIX_RC_SOURCE_DIR}/version.h.in" "${ZENVRIX_RC_IMAGE_DIR}/version.h" @ONLY)

set(ZENVRIX_RC_DEPENDS ${_zenvrix_images} "${ZENVRIX_RC_SOURCE_DIR}/resource.h"
    "${ZENVRIX_RC_SOURCE_DIR}/zenvrix.manifest"
    "${ZENVRIX_RC_IMAGE_DIR}/version.h")
set(ZENVRIX_RC_INCLUDES "${ZENVRIX_RC_SOURCE_DIR}" "${ZENVRIX_RC_IMAGE_DIR}")

set_source_files_properties("${ZENVRIX_RC_FILE}" PROPERTIES
  INCLUDE_DIRECTORIES "${ZENVRIX_RC_INCLUDES}"
  OBJECT_DEPENDS "${ZENVRIX_RC_DEPENDS}")

function(zenvrix_use_resources target)
  get_target_property(_sources ${target} SOURCES)
  if(NOT "${ZENVRIX_RC_FILE}" IN_LIST _sources)
    target_sources(${target} PRIVATE "${ZENVRIX_RC_FILE}")
  endif()
  # Source properties belong to a directory: set them where the target lives.
  set_source_files_properties("${ZENVRIX_RC_FILE}" TARGET_DIRECTORY ${target} PROPERTIES
    INCLUDE_DIRECTORIES "${ZENVRIX_RC_INCLUDES}"
    OBJECT_DEPENDS "${ZENVRIX_RC_DEPENDS}")
  # The pictures are made by a rule of the including directory; a target of
  # another directory only waits for it through the custom target.
  add_dependencies(${target} zenvrix_resource_images)
endfunction()

# The version resource of one program: the version of project(), the product
# name, the program's file name and <description> with its word size, so that
# the file's properties tell the 32-bit from the 64-bit program.
function(zenvrix_version_resource target description)
  math(EXPR ZENVRIX_RC_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
  set(ZENVRIX_RC_FILE_NAME "${target}.exe")
  set(ZENVRIX_RC_DESCRIPTION "${description}")
  set(_rc "${ZENVRIX_RC_IMAGE_DIR}/${target}-version.rc")
  configure_file("${ZENVRIX_RC_SOURCE_DIR}/version.rc.in" "${_rc}" @ONLY)
  target_sources(${target} PRIVATE "${_rc}")
endfunction()
