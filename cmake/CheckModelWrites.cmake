# Refuses a program source that writes a field of the project's model: the
# views and the command-line driver change a project through its edit
# operations only, so that every change is marked, told and can be undone.
# Run as: cmake -DSOURCE_DIR=<tree> -P CheckModelWrites.cmake
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
set(field "(\\.|->)m_[A-Za-z0-9_]+(\\[[^]]*\\])?")
# An assignment to the field or to a member of it, or a call that changes it in place.
set(assignment "${field}(\\.[A-Za-z0-9_]+)*[ \t]*([-+*/|&^]|<<|>>)?=([^=]|$)")
set(mutation "${field}\\.(Select|ResetToGeneric|LoadFromSection|SetBuiltInDefaults|FromText|Set|push_back|emplace_back|insert|erase|clear|swap|pop_back)[ \t]*\\(")

set(violations "")
foreach(folder ui cli app)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  foreach(file ${files})
    file(STRINGS ${file} lines REGEX "m_")
    foreach(line ${lines})
      if(line MATCHES "${assignment}" OR line MATCHES "${mutation}")
        file(RELATIVE_PATH rel ${SOURCE_DIR} ${file})
        string(STRIP "${line}" line)
        string(APPEND violations "  ${rel}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Writes to the project's fields outside project/ (use the project's edit operations):\n${violations}")
endif()
