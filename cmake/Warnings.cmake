# Common compile settings for every target of ours.
add_library(hibari_settings INTERFACE)
target_compile_options(hibari_settings INTERFACE -Wall -Wextra -Werror)
target_compile_definitions(hibari_settings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_USE_QSTRINGBUILDER)
if(HIBARI_SANITIZE)
  target_compile_options(hibari_settings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(hibari_settings INTERFACE -fsanitize=address,undefined)
endif()
