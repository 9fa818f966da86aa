# VOK_SANITIZE=address  -> AddressSanitizer + UndefinedBehaviorSanitizer
# VOK_SANITIZE=thread   -> ThreadSanitizer
set(VOK_SANITIZE "" CACHE STRING "Sanitizer build: empty, address or thread")
if(VOK_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(VOK_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT VOK_SANITIZE STREQUAL "")
    message(FATAL_ERROR "VOK_SANITIZE must be empty, address or thread")
endif()
