# The control's published interface is written once, in its member table
# (control/resources/TK28950Members.h); the type library and the lists of
# members in the tool's man page and bash completion are made from it by
# tk28950_make_interface when the project is built.

# The type library, as the control's library and the Python module carry it
# and as hosts read it.
set(TK28950_TYPELIB_JSON ${CMAKE_BINARY_DIR}/control/TK28950.typelib.json)

# tk28950_fill_interface(TEMPLATE OUTPUT): builds OUTPUT, TEMPLATE with the
# placeholders of control/object/PublishedInterface.h filled in.
function(tk28950_fill_interface template output)
    get_filename_component(template ${template} ABSOLUTE)
    get_filename_component(name ${output} NAME)
    add_custom_command(OUTPUT ${output}
        COMMAND tk28950_make_interface ${template} ${output}
        DEPENDS tk28950_make_interface ${template}
        COMMENT "Published members in ${name}"
        VERBATIM)
endfunction()
