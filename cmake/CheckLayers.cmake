# Run as a test (cmake -DSOURCE_DIR=... -P CheckLayers.cmake): fails when an
# include line crosses a layer the wrong way.
# - A core file never names a GUI header: the core builds and is tested without
#   widgets, and the CLI links only the core.
# - A part of the main window never includes the window's header: it talks to
#   the window through MainWindowHost, so the window can change without them.
set(broken "")

file(GLOB gui_folders LIST_DIRECTORIES true RELATIVE "${SOURCE_DIR}/src/gui" "${SOURCE_DIR}/src/gui/*")
set(gui_prefixes gui)
foreach(folder IN LISTS gui_folders)
  if(IS_DIRECTORY "${SOURCE_DIR}/src/gui/${folder}")
    list(APPEND gui_prefixes "${folder}")
  endif()
endforeach()
list(JOIN gui_prefixes "|" gui_alternatives)

file(GLOB_RECURSE core_files "${SOURCE_DIR}/src/core/*.h" "${SOURCE_DIR}/src/core/*.cpp")
foreach(file IN LISTS core_files)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](${gui_alternatives})/")
  foreach(line IN LISTS lines)
    list(APPEND broken "${file}: the core names a GUI header: ${line}")
  endforeach()
endforeach()

file(GLOB main_files "${SOURCE_DIR}/src/gui/main/*.h" "${SOURCE_DIR}/src/gui/main/*.cpp")
foreach(file IN LISTS main_files)
  get_filename_component(name "${file}" NAME)
  if(name STREQUAL "TavelinDlg.cpp")
    continue()
  endif()
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](main/)?TavelinDlg\\.h[\">]")
  foreach(line IN LISTS lines)
    list(APPEND broken "${file}: a part of the main window includes the window: ${line}")
  endforeach()
endforeach()

if(broken)
  list(JOIN broken "\n" message)
  message(FATAL_ERROR "${message}")
endif()
