# Headers are included by their path below src ("ui/TForm1.h"). A library
# shows its own folder's headers to what links it, and nothing else of src:
# its include folder in the build tree holds one link, to its own source
# folder. A target thus compiles only against its own headers and those of
# the libraries it links.
function(orvane_headers target folder)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()
