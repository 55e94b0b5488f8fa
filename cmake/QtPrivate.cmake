# Qt's private headers for the RTF reader's constant-time list join (text/rtf/listappend.cpp) on quillax_text.
# Without them a long numbered list reads in time growing with the square of its length; what is read and
# written stays the same.
option(QUILLAX_QT_PRIVATE "Use Qt's private headers for the RTF reader's constant-time list join" ON)
# The join relies on QTextBlockGroupPrivate::blocks and QTextList::add() as they are from Qt 6.4 to 6.8.
set(QUILLAX_QT_PRIVATE_FIRST 6.4)
set(QUILLAX_QT_PRIVATE_LAST 6.8)

if(QUILLAX_QT_PRIVATE)
    string(REGEX MATCH "^[0-9]+\\.[0-9]+" _quillax_qt_minor "${Qt6Gui_VERSION}")
    if(_quillax_qt_minor VERSION_LESS QUILLAX_QT_PRIVATE_FIRST OR
       _quillax_qt_minor VERSION_GREATER QUILLAX_QT_PRIVATE_LAST)
        message(STATUS "Qt ${Qt6Gui_VERSION} is outside ${QUILLAX_QT_PRIVATE_FIRST} to ${QUILLAX_QT_PRIVATE_LAST}, "
                       "the versions the RTF reader's list join fits: building without Qt's private headers")
    else()
        # Qt 6.9 and later keep the private targets in packages of their own.
        if(NOT TARGET Qt6::GuiPrivate)
            find_package(Qt6 QUIET COMPONENTS GuiPrivate)
        endif()
        if(TARGET Qt6::GuiPrivate)
            get_target_property(_quillax_qt_private_dirs Qt6::GuiPrivate INTERFACE_INCLUDE_DIRECTORIES)
            find_path(_quillax_qt_private_header QtGui/private/qtextobject_p.h
                PATHS ${_quillax_qt_private_dirs} NO_DEFAULT_PATH NO_CACHE)
        endif()
        if(_quillax_qt_private_header)
            target_link_libraries(quillax_text PRIVATE Qt6::GuiPrivate)
            target_compile_definitions(quillax_text PRIVATE QUILLAX_QT_PRIVATE)
        else()
            message(STATUS "Qt's private headers not found (Debian: qt6-base-private-dev): "
                           "long numbered lists in RTF will read slowly")
        endif()
    endif()
endif()
