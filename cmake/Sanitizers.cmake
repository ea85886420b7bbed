# With GK_SANITIZE every target of the tree is built and linked with
# AddressSanitizer and UndefinedBehaviorSanitizer; any finding aborts the test.
if(GK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
