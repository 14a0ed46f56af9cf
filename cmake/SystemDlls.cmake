# System DLLs that aren't among Windows' known DLLs (bcrypt, winmm, opengl32, oleacc).
# Windows looks for such a DLL in the program's own folder first, where anything may have been
# dropped beside Kestrane.exe (a Downloads folder). So they are never in the normal import
# table: they are delay-loaded, and main() first limits every later load to the system
# folder (SetDefaultDllDirectories). tests/app checks the built image's import table.
#
# kestrane_system_dll(TARGET NAME) links TARGET with NAME.dll that way.
if(MINGW)
  find_program(KESTRANE_DLLTOOL NAMES ${KESTRANE_MINGW_PREFIX}-dlltool dlltool REQUIRED)
endif()

function(kestrane_system_dll target name)
  set(def ${PROJECT_SOURCE_DIR}/cmake/delayload/${name}.def)
  if(MSVC)
    target_link_libraries(${target} PUBLIC ${name} delayimp)
    target_link_options(${target} INTERFACE /DELAYLOAD:${name}.dll)
    return()
  endif()
  set(lib ${CMAKE_BINARY_DIR}/delayload/lib${name}_delay.a)
  # Made when configuring, and again whenever the list of functions changes.
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  if(NOT EXISTS ${lib} OR ${def} IS_NEWER_THAN ${lib})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delayload)
    execute_process(COMMAND ${KESTRANE_DLLTOOL} --input-def ${def} --dllname ${name}.dll --output-delaylib ${lib}
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "dlltool could not make the delay-load library for ${name}.dll")
    endif()
  endif()
  target_link_libraries(${target} PUBLIC ${lib})
endfunction()
