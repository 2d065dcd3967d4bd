# The HTML stats page, the rankings view and the page histories.
set(VANTOR_AUTHOR_HOME_PAGE "https://vantor.example.org" CACHE STRING "Author's home page on the pages")
set(VANTOR_AUTHOR_EMAIL "marrow@vantor.example.org" CACHE STRING "Author's e-mail address on the pages")
set(VANTOR_CREDIT_TEXT "Vantor v3.7.03 by Marrow" CACHE STRING "Credit line on the pages")

target_sources(utilities_core PRIVATE
    core/author.cpp core/author.h
    core/history.cpp core/history.h
    core/page_file.cpp core/page_file.h
    core/stats_page.cpp core/stats_page.h
    core/page_creation.cpp core/page_creation.h
    core/page_commands.cpp core/page_commands.h
)
set_source_files_properties(core/author.cpp PROPERTIES COMPILE_DEFINITIONS
    "VANTOR_AUTHOR_HOME_PAGE=\"${VANTOR_AUTHOR_HOME_PAGE}\";VANTOR_AUTHOR_EMAIL=\"${VANTOR_AUTHOR_EMAIL}\";VANTOR_CREDIT_TEXT=\"${VANTOR_CREDIT_TEXT}\"")
