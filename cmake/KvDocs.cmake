# The documents the Help menu opens, written by the build into doc/ beside the
# programs from their sources in the repository's doc/. kvdocgen renders them
# with Qt's own text and PDF classes (no network, no tool outside Qt); it is a
# tool of the build and is not installed. The install takes the same files.
set(KV_DOC_DIR ${KV_BIN_DIR}/doc)
set(KV_DOC_WORK ${CMAKE_BINARY_DIR}/docs)
file(MAKE_DIRECTORY ${KV_DOC_WORK})

add_executable(kvdocgen ${CMAKE_SOURCE_DIR}/tools/kvdocgen/main.cpp ${CMAKE_SOURCE_DIR}/tools/kvdocgen/render.cpp)
set_target_properties(kvdocgen PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
kv_apply_warnings(kvdocgen)
target_link_libraries(kvdocgen PRIVATE kv_app Qt6::Gui)

# Under the sanitizers the documents are written all the same; the tool's own
# leaks at exit are no finding of the build.
set(kv_docgen ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:kvdocgen>)

# Every file of doc/ beside the programs, relative to it: what the install copies.
set(KV_DOC_FILES "")

# doc/KIVOVAMUM.pdf: the user's manual, from its Markdown chapters, the texts on
# function sets, the table of messages written from the catalog with the advice
# kept beside the chapters, and pictures of the real windows: the program is
# started on the sample project without a display and grabs every page and dialog
# (scripts/screenshots), so the pictures follow the windows whenever they change.
add_custom_command(
  OUTPUT ${KV_DOC_WORK}/shots/help-documents.txt
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 ${CMAKE_SOURCE_DIR}/scripts/screenshots
          --program $<TARGET_FILE:kivovam> --out ${KV_DOC_WORK}/shots --pictures-only --shown-folder ${KV_INSTALL_DIR}
  DEPENDS kivovam ${CMAKE_SOURCE_DIR}/scripts/screenshots ${CMAKE_SOURCE_DIR}/examples/demo/kivo_vam.c
          ${CMAKE_SOURCE_DIR}/examples/demo/kivo_vam.h
  COMMENT "Taking the manual's pictures of the windows"
  VERBATIM)
add_custom_command(
  OUTPUT ${KV_DOC_WORK}/messages.md
  COMMAND ${kv_docgen} messages ${CMAKE_SOURCE_DIR}/doc/manual/messages.txt ${KV_DOC_WORK}/messages.md
  DEPENDS kvdocgen ${CMAKE_SOURCE_DIR}/doc/manual/messages.txt
  COMMENT "Writing the table of messages from the catalog"
  VERBATIM)
# The chapters in their order; the one on function sets is also read on its own.
set(kv_manual_sources
  ${CMAKE_SOURCE_DIR}/doc/manual/01-introduction.md
  ${CMAKE_SOURCE_DIR}/doc/manual/02-tour.md
  ${CMAKE_SOURCE_DIR}/doc/manual/03-tasks.md
  ${CMAKE_SOURCE_DIR}/doc/manual/04-command-line.md
  ${CMAKE_SOURCE_DIR}/doc/manual/05a-problems.md
  ${CMAKE_SOURCE_DIR}/doc/manual/05b-channel-map.md
  ${CMAKE_SOURCE_DIR}/doc/manual/05c-presumed-settings.md
  ${CMAKE_SOURCE_DIR}/doc/manual/05d-generated-code.md
  ${CMAKE_SOURCE_DIR}/doc/function-sets.md
  ${CMAKE_SOURCE_DIR}/doc/manual/06-messages.md
  ${KV_DOC_WORK}/messages.md)
add_custom_command(
  OUTPUT ${KV_DOC_DIR}/KIVOVAMUM.pdf
  COMMAND ${kv_docgen} render --title "Kivo Vam User's Manual" --images ${KV_DOC_WORK}/shots
          -o ${KV_DOC_DIR}/KIVOVAMUM.pdf ${kv_manual_sources}
  DEPENDS kvdocgen ${kv_manual_sources} ${KV_DOC_WORK}/shots/help-documents.txt
  COMMENT "Writing doc/KIVOVAMUM.pdf"
  VERBATIM)
list(APPEND KV_DOC_FILES KIVOVAMUM.pdf)

# doc/KIVORM.pdf, where the Help menu looks for the reference manual: the
# register reference, written from the engine-configuration description the
# programs read, so the two never disagree.
add_custom_command(
  OUTPUT ${KV_DOC_WORK}/registers.md
  COMMAND ${kv_docgen} registers ${CMAKE_SOURCE_DIR}/conf/kivocfg.ini ${KV_DOC_WORK}/registers.md
  DEPENDS kvdocgen ${CMAKE_SOURCE_DIR}/conf/kivocfg.ini
  COMMENT "Writing the register reference from conf/kivocfg.ini"
  VERBATIM)
add_custom_command(
  OUTPUT ${KV_DOC_DIR}/KIVORM.pdf
  COMMAND ${kv_docgen} render --title "Kivo Register Reference" -o ${KV_DOC_DIR}/KIVORM.pdf ${KV_DOC_WORK}/registers.md
  DEPENDS kvdocgen ${KV_DOC_WORK}/registers.md
  COMMENT "Writing doc/KIVORM.pdf"
  VERBATIM)
list(APPEND KV_DOC_FILES KIVORM.pdf)

# doc/appnotes/: the application notes, each source in the repository's
# doc/appnotes/ (HTML or Markdown) as a PDF in the same subfolder, which is what
# the Help menu lists and opens; any other file there is taken as it is.
file(GLOB_RECURSE kv_appnote_sources CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/doc/appnotes
     ${CMAKE_SOURCE_DIR}/doc/appnotes/*)
set(kv_appnote_outputs "")
foreach(source ${kv_appnote_sources})
  set(input ${CMAKE_SOURCE_DIR}/doc/appnotes/${source})
  cmake_path(GET source PARENT_PATH folder)
  if(source MATCHES "\\.(htm|html|md)$")
    string(REGEX REPLACE "\\.[^.]+$" ".pdf" note ${source})
    add_custom_command(
      OUTPUT ${KV_DOC_DIR}/appnotes/${note}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${KV_DOC_DIR}/appnotes/${folder}
      COMMAND ${kv_docgen} render -o ${KV_DOC_DIR}/appnotes/${note} ${input}
      DEPENDS kvdocgen ${input}
      COMMENT "Writing doc/appnotes/${note}"
      VERBATIM)
  else()
    set(note ${source})
    add_custom_command(
      OUTPUT ${KV_DOC_DIR}/appnotes/${note}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${KV_DOC_DIR}/appnotes/${folder}
      COMMAND ${CMAKE_COMMAND} -E copy ${input} ${KV_DOC_DIR}/appnotes/${note}
      DEPENDS ${input}
      VERBATIM)
  endif()
  list(APPEND KV_DOC_FILES appnotes/${note})
  list(APPEND kv_appnote_outputs ${KV_DOC_DIR}/appnotes/${note})
endforeach()
# A note whose source is gone leaves the menu too.
file(GLOB_RECURSE kv_appnote_built ${KV_DOC_DIR}/appnotes/*)
foreach(built ${kv_appnote_built})
  if(NOT built IN_LIST kv_appnote_outputs)
    file(REMOVE ${built})
  endif()
endforeach()

# The texts for those who write function sets or version-check profiles, as they are.
foreach(text function-sets.md newscout.md)
  add_custom_command(
    OUTPUT ${KV_DOC_DIR}/${text}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/doc/${text} ${KV_DOC_DIR}/${text}
    DEPENDS ${CMAKE_SOURCE_DIR}/doc/${text}
    VERBATIM)
  list(APPEND KV_DOC_FILES ${text})
endforeach()

list(TRANSFORM KV_DOC_FILES PREPEND ${KV_DOC_DIR}/ OUTPUT_VARIABLE kv_doc_outputs)
add_custom_target(kv_docs ALL DEPENDS ${kv_doc_outputs})
