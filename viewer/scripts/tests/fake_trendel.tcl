# fake_trendel.tcl --
#
#	Test fixture: runs the main script in a plain wish the way trendel
#	does, with the Tcl stand-in engine of fake_engine.tcl in place of the
#	real one.  Usage: wish8.6 fake_trendel.tcl ?FAKE-RECORDING?
#	The command-line tail becomes argv as trendel's host makes it: a list
#	of one element holding the whole tail.

set here [file dirname [file normalize [info script]]]
set argv [list [join $argv " "]]
set argc 1
set argv0 trendelapp
tk appname trendelapp
source [file join $here fake_engine.tcl]
# As trendel's host does, an error of the main script goes to the
# background-error dialog and the window stays as far as it was built.
if {[catch {source [file join $here .. gd.tcl]} message]} {
    bgerror $message
}
