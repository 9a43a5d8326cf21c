# The installed layout. The programs find conf/, fsets/ and doc/ beside themselves, so
# they go into one folder of their own (KV_INSTALL_DIR) with their data; the PATH gets
# links to them, and the desktop gets its menu entry, icons and man pages where the
# system looks for them (below CMAKE_INSTALL_PREFIX).
# KV_INSTALL_DIR is set in the top-level CMakeLists.txt: the manual's pictures name it too.

set(kv_programs kivovam-cli)
if(TARGET kivovam)
  list(APPEND kv_programs kivovam)
endif()
if(TARGET newscout)
  list(APPEND kv_programs newscout)
endif()
install(TARGETS ${kv_programs} RUNTIME DESTINATION "${KV_INSTALL_DIR}")

install(DIRECTORY conf fsets examples DESTINATION "${KV_INSTALL_DIR}")
# doc/ as the build wrote it beside the programs (cmake/KvDocs.cmake): the sources
# stay behind; the man pages go where man looks.
foreach(file ${KV_DOC_FILES})
  cmake_path(GET file PARENT_PATH folder)
  install(FILES ${KV_DOC_DIR}/${file} DESTINATION "${KV_INSTALL_DIR}/doc/${folder}")
endforeach()

# Relative links, so a tree installed below DESTDIR (or unpacked from a package into a
# scratch folder) runs its own programs, not whatever lies at the final place.
foreach(program ${kv_programs})
  install(CODE "
    set(bin \"\${CMAKE_INSTALL_PREFIX}/bin\")
    set(program [[${KV_INSTALL_DIR}/${program}]])
    cmake_path(RELATIVE_PATH program BASE_DIRECTORY \"\${bin}\" OUTPUT_VARIABLE target)
    set(link \"\$ENV{DESTDIR}\${bin}/${program}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${bin}\")
    file(REMOVE \"\${link}\")
    file(CREATE_LINK \"\${target}\" \"\${link}\" SYMBOLIC)
    message(STATUS \"Installing: \${link} -> \${target}\")")
endforeach()

# A distributor's version-check profile goes beside the checker when the install is
# given one (scripts/package --nsp FILE names it in KV_VERSION_PROFILE). Without one
# the desktop program offers no check: the checker would know no server to ask.
if(TARGET newscout)
  install(CODE "
    if(NOT \"\$ENV{KV_VERSION_PROFILE}\" STREQUAL \"\")
      file(INSTALL \"\$ENV{KV_VERSION_PROFILE}\" DESTINATION [[${KV_INSTALL_DIR}]]
           PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    endif()")
endif()

if(TARGET kivovam)
  install(FILES data/kivovam.desktop DESTINATION "share/applications")
  install(FILES data/icons/kivovam.svg DESTINATION "share/icons/hicolor/scalable/apps")
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES data/icons/kivovam-${size}.png
            DESTINATION "share/icons/hicolor/${size}x${size}/apps"
            RENAME kivovam.png)
  endforeach()
endif()

set(kv_man_pages doc/man/kivovam-cli.1)
if(TARGET kivovam)
  list(APPEND kv_man_pages doc/man/kivovam.1)
endif()
if(TARGET newscout)
  list(APPEND kv_man_pages doc/man/newscout.1)
endif()
install(FILES ${kv_man_pages} DESTINATION "share/man/man1")
