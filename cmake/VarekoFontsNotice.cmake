# VAREKO_FONTS_NOTICE_TEXT: the notice of the source fonts, which every
# package carries; it is the indented block that ends
# platform/text/fonts/README.md.
file(READ ${PROJECT_SOURCE_DIR}/platform/text/fonts/README.md fonts_readme)
string(REGEX MATCH "The source fonts carry this notice[^\n]*\n\n(.*)$" found "${fonts_readme}")
if(NOT found)
  message(FATAL_ERROR "platform/text/fonts/README.md no longer ends with the fonts' notice that the packages carry")
endif()
string(REGEX REPLACE "(^|\n)    " "\\1" VAREKO_FONTS_NOTICE_TEXT "${CMAKE_MATCH_1}")
