# gd.tcl --
#
#	The viewer's main script: the main window with its master view and
#	displays, the navigation through a loaded recording (zoom modes,
#	scrolling, range selection, gain) and the viewer's dialogs.  The host
#	compiles it into trendel and sources it at start-up; every access to the
#	recording goes through the engine commands the host registers
#	(LoadFileStats, GetChannelData, ...).
#
#	All state lives in the global array c.  Keys ending in a window path
#	belong to one drawing area (the master is .master.c); see init for the
#	keys and their initial values.

# Program name, version and purpose as the About box shows them.
set trendel_version 1.0.0

# ----------------------------------------------------------------------
# Tooltips
# ----------------------------------------------------------------------

#----------------------------------------------------------------------
# bind_help --
#
#	Attaches a tooltip to a widget: after the pointer has rested on it
#	for a second a small yellow window shows the text.
#
# Results:
#	None.
#
# Side effects:
#	Stores the text in help($widget) and adds <Enter>/<Leave> bindings.
#----------------------------------------------------------------------

proc bind_help {widget text} {
    global help
    set help($widget) $text
    bind $widget <Enter> {+help_enter %W %X %Y}
    bind $widget <Leave> {+help_leave}
}

#----------------------------------------------------------------------
# help_enter, help_leave, help_show --
#
#	Pointer entry schedules the tooltip; any entry or exit since then
#	(active_object changed) cancels it.  Exit removes a shown tooltip.
#
# Results:
#	None.
#
# Side effects:
#	Increments active_object; creates or destroys the window .help.
#----------------------------------------------------------------------

proc help_enter {widget x y} {
    global active_object
    incr active_object
    after 1000 [list help_show $widget $x $y $active_object]
}

proc help_leave {} {
    global active_object
    incr active_object
    destroy .help
}

proc help_show {widget x y serial} {
    global active_object help
    if {$serial != $active_object || ![winfo exists $widget]
	    || ![info exists help($widget)]} {
	return
    }
    destroy .help
    toplevel .help
    wm overrideredirect .help 1
    wm transient .help [winfo toplevel $widget]
    wm geometry .help +$x+$y
    frame .help.f -background black
    label .help.f.l -background "#eea" -text $help($widget) -justify left
    pack .help.f
    pack .help.f.l -padx 1 -pady 1
}

# ----------------------------------------------------------------------
# Small helpers
# ----------------------------------------------------------------------

#----------------------------------------------------------------------
# win_size --
#
#	Reads the size of a window.
#
# Results:
#	"width" or "height": that dimension in pixels; anything else: the
#	list {width height}.
#
# Side effects:
#	None.
#----------------------------------------------------------------------

proc win_size {w what} {
    switch -- $what {
	width	{ return [winfo width $w] }
	height	{ return [winfo height $w] }
	default	{ return [list [winfo width $w] [winfo height $w]] }
    }
}

#----------------------------------------------------------------------
# keep_on_screen --
#
#	Moves a top-level window placed at a pointer position so that all of
#	it lies on the screen: a chooser opened near the bottom or the right
#	edge would otherwise hide its buttons beyond the edge.
#
# Results:
#	None.
#
# Side effects:
#	May change the window's position.
#----------------------------------------------------------------------

proc keep_on_screen {w x y} {
    update idletasks
    set right [expr {[winfo screenwidth $w] - [winfo reqwidth $w]}]
    set bottom [expr {[winfo screenheight $w] - [winfo reqheight $w]}]
    set x [expr {max(0, min($x, $right))}]
    set y [expr {max(0, min($y, $bottom))}]
    wm geometry $w +$x+$y
}

#----------------------------------------------------------------------
# delete_c --
#
#	Removes every key of c that matches a glob pattern.
#
# Results:
#	None.
#
# Side effects:
#	Unsets elements of c.
#----------------------------------------------------------------------

proc delete_c {pattern} {
    global c
    array unset c $pattern
}

#----------------------------------------------------------------------
# set_colors --
#
#	Sets the fixed colour keys of c and the channel colour cycle.  The
#	table covers channels 0 to 269; set_channel_colors extends it for
#	larger files.
#
# Results:
#	None.
#
# Side effects:
#	Sets c(color,n) and the background and grid colour keys.
#----------------------------------------------------------------------

proc set_colors {} {
    global c
    set c(highlightcolor) "#444"
    set c(reversecolor) "#222"
    set c(namesbgcolor) black
    set c(dspbgcolor) black
    set c(masterbgcolor) black
    set c(dspaxiscolor) "#444"
    set c(masteraxiscolor) "#444"
    set_channel_colors 269
}

proc channel_color {n} {
    lindex {#844 #00f #0f0 #f00 #ef0 #0ff #f0f #800 #080 #880 #088 #888 #f80 #f08 #08f} [expr {$n % 15}]
}

proc set_channel_colors {last} {
    global c
    for {set n 0} {$n <= $last} {incr n} {
	if {![info exists c(color,$n)]} {
	    set c(color,$n) [channel_color $n]
	}
    }
}

#----------------------------------------------------------------------
# calc_running --
#
#	Tells whether an engine computation is in progress, that is whether
#	the progress window is open.  Event handlers that call the engine
#	check it: the progress report processes pending events, and a resize
#	or key press handled there must not start a second computation
#	inside the running one.  A refresh asked for meanwhile runs once the
#	computation has ended.
#
# Results:
#	1 while a computation runs, else 0.
#
# Side effects:
#	None.
#----------------------------------------------------------------------

proc calc_running {} {
    winfo exists .progressbar
}

proc master_width {} {
    winfo width .master.c
}

proc file_loaded {} {
    global c
    expr {$c(fileloaded) eq "yes"}
}

# ----------------------------------------------------------------------
# Start-up and the main window
# ----------------------------------------------------------------------

#----------------------------------------------------------------------
# install_dummy --
#
#	Outside the viewer (the script run in a plain wish) no engine
#	commands exist; this defines placeholders so that the window can be
#	built and looked at.  Inside the viewer it does nothing.
#
# Results:
#	None.
#
# Side effects:
#	May define global procedures named like the engine commands.
#----------------------------------------------------------------------

proc install_dummy {} {
    if {[llength [info commands LoadFileStats]] == 0} {
	proc ::LoadFileStats {args} { return 16 }
	proc ::GetChannelName {i} { return "Channel_$i" }
	proc ::CalculateTimeRange {args} { return "done" }
	proc ::GetChannelData {full ch w h args} {
	    return [list 0 [expr {10 * $ch}] $w $h]
	}
	proc ::GetPercentTime {args} { return "f f" }
	proc ::GetPixelOffsetTime {args} { return "o o" }
	proc ::GetMaxEU {args} { return 10 }
	proc ::GetYVoltage {fraction ch} { return "channel $ch : $fraction" }
	# Not part of the classic placeholder set, but init and the
	# drawing code call them; without them the script stops at start.
	proc ::UseChannelMapping {args} { return "" }
	proc ::IsDataPresent {args} { return 1 }
	proc ::GetMaxDisplayEU {args} { return 10 }
	proc ::IsValidPercentRange {args} { return 1 }
	proc ::StopCalc {args} { return "" }
    }
    if {[llength [info commands GetFraction]] == 0} {
	proc ::GetFraction {args} { return 0.5 }
    }
}

#----------------------------------------------------------------------
# init --
#
#	Builds the main window: title, geometry, menu bar, channel list,
#	displays area, master view, button and read-out rows; binds the
#	sashes and keys; then opens the first file.
#
# Results:
#	None.
#
# Side effects:
#	Sets the initial state in c; creates every main window widget;
#	calls do_open.
#----------------------------------------------------------------------

proc init {} {
    global c tcl_precision active_object load_serial

    catch {wm iconify .@console}

    wm title . "Trendel"
    wm protocol . WM_DELETE_WINDOW do_quit
    wm geometry . "=1024x720+0+0"

    set c(hi,.master.c) 25.0
    set c(lo,.master.c) -25.0
    set c(diff,.master.c) 50.0
    set c(bottom,.master.c) $c(lo,.master.c)
    set c(top,.master.c) $c(hi,.master.c)
    set c(channels,.master.c) {}
    set c(x_undo_counter,.master.c) 0
    set tcl_precision 15
    set c(fileloaded) "no"
    set c(filepath) "../my_data"
    set c(filename) ""
    set c(zoom) "Y locked"
    set c(assign) "split"
    set c(displays) {}
    set c(time) ""
    set c(volt) ""
    set c(masterleft) ""
    set c(masterright) ""
    set c(displayleft) ""
    set c(displayright) ""
    set c(numberOfChannels) 0
    set c(refreshpending) 0
    set_colors
    set active_object 0
    set load_serial 0
    UseChannelMapping 0

    build_menu

    update idletasks
    set width [win_size . width]
    set height [win_size . height]
    wm geometry . "=[expr {$width - 10}]x[expr {$height - 10}]+0+0"

    build_window
    update idletasks
    draw_mode
    set_bindings .master.c

    bind .mastersize <ButtonRelease-1> {resize_pane .master height %y}
    bind .ch_listsize <ButtonRelease-1> {resize_pane .ch_list width %x}
    bind .ch_list.c <Configure> {draw_mode}
    bind .displays <Configure> {update idletasks; refresh}
    bind .master <Configure> {update idletasks}

    bind_keys
    focus .
    do_open
}

#----------------------------------------------------------------------
# build_menu --
#
#	Creates the menu bar .menu with the File, Window, Search and Help
#	menus.
#
# Results:
#	None.
#
# Side effects:
#	Creates .menu and its menus.
#----------------------------------------------------------------------

proc build_menu {} {
    frame .menu -relief raised -borderwidth 1
    pack .menu -side top -fill x

    menubutton .menu.file -text "File" -underline 0 -menu .menu.file.m
    menu .menu.file.m -tearoff 0
    .menu.file.m add command -label "Open ..." -command do_open
    .menu.file.m add command -label "Reload" -command do_reload
    .menu.file.m add separator
    .menu.file.m add command -label "Quit" -command do_quit

    menubutton .menu.window -text "Window" -underline 0 -menu .menu.window.m
    menu .menu.window.m -tearoff 0
    .menu.window.m add command -label "Choose Layout" -command choose_layout
    .menu.window.m add cascade -label "Zoom Mode" -menu .menu.window.m.zoom
    .menu.window.m add cascade -label "Assign Channels" -menu .menu.window.m.assign
    menu .menu.window.m.zoom -tearoff 0
    foreach mode {"Unlocked" "X locked" "Y locked"} {
	.menu.window.m.zoom add radiobutton -label $mode -value $mode \
	    -variable c(zoom) -command draw_mode
    }
    menu .menu.window.m.assign -tearoff 0
    .menu.window.m.assign add radiobutton -label "Empty displays" -value empty \
	-variable c(assign) -command reassign_channels
    for {set n 1} {$n <= 8} {incr n} {
	.menu.window.m.assign add radiobutton -label "$n per display" -value $n \
	    -variable c(assign) -command reassign_channels
    }
    .menu.window.m.assign add radiobutton -label "As master" -value master \
	-variable c(assign) -command reassign_channels
    .menu.window.m.assign add radiobutton -label "Split" -value split \
	-variable c(assign) -command reassign_channels
    .menu.window.m.assign add radiobutton -label "All" -value all \
	-variable c(assign) -command reassign_channels

    menubutton .menu.search -text "Search" -underline 0 -menu .menu.search.m
    menu .menu.search.m -tearoff 0
    .menu.search.m add command -label "Search" -state disabled

    menubutton .menu.help -text "Help" -underline 0 -menu .menu.help.m
    menu .menu.help.m -tearoff 0
    .menu.help.m add command -label "Help" -command help
    .menu.help.m add command -label "About" -command about

    pack .menu.file .menu.window .menu.search .menu.help -side left
}

#----------------------------------------------------------------------
# build_window --
#
#	Creates the channel list and its sash on the right, the read-out
#	row, master view, master sash and button row at the bottom, and the
#	displays area that the layout fills.
#
# Results:
#	None.
#
# Side effects:
#	Creates and packs .ch_list, .ch_listsize, .debug, .master,
#	.mastersize, .buttons and .displays.
#----------------------------------------------------------------------

proc build_window {} {
    global c

    frame .ch_list -width 120
    pack propagate .ch_list 0
    text .ch_list.t -relief raised -borderwidth 2 -background $c(namesbgcolor) \
	-width 1 -height 1 -wrap none
    canvas .ch_list.c -height 100 -borderwidth 0 -highlightthickness 0
    pack .ch_list.c -side bottom -fill x
    pack .ch_list.t -side top -fill both -expand 1
    frame .ch_listsize -width 6 -relief raised -borderwidth 2 \
	-cursor sb_h_double_arrow
    pack .ch_list -side right -fill y
    pack .ch_listsize -side right -fill y

    frame .debug
    foreach {name text var tip} {
	start "Start: " masterleft "Beginning of file timestamp"
	time "Time: " time "Timestamp of cursor position"
	volt "EU Value: " volt "Voltage of cursor position"
	stop "Stop: " masterright "End of file timestamp"
    } {
	label .debug.l$name -text $text
	entry .debug.$name -textvariable c($var) -state disabled -width 14
	pack .debug.l$name -side left
	pack .debug.$name -side left -expand 1 -fill x
	bind_help .debug.$name $tip
    }

    frame .master -height 200 -relief raised -borderwidth 2
    pack propagate .master 0
    # No border and no focus ring: canvas coordinates then start at the
    # window's edge and the drawing size is the window's size.
    canvas .master.c1 -background grey -borderwidth 0 -highlightthickness 0 -width 1
    canvas .master.c -background grey -borderwidth 0 -highlightthickness 0
    pack .master.c1 -side left -fill y
    pack .master.c -side left -fill both -expand 1

    frame .mastersize -height 6 -relief raised -borderwidth 2 \
	-cursor sb_v_double_arrow

    frame .buttons
    entry .buttons.left -textvariable c(displayleft) -width 16
    button .buttons.enterleft -text "Enter" -command enter_range
    pack .buttons.left .buttons.enterleft -side left
    bind_help .buttons.left "Start of display range"
    foreach {name text mode tip} {
	slf "<<<" slf "Scroll one page to the left"
	sls "<" sls "Scroll 1/5 of page to the left"
	zin "Zoom in" zin "Display smaller time range"
	refresh "Refresh" "" "Refresh Display"
	zout "Zoom out" zout "Display larger time range"
	srs ">" srs "Scroll 1/5 of a page to the right"
	srf ">>>" srf "Scroll one page to the right"
    } {
	if {$mode eq ""} {
	    button .buttons.$name -text $text -command refresh
	} else {
	    button .buttons.$name -text $text -command [list scroll_zoom $mode]
	}
	pack .buttons.$name -side left -expand 1 -fill x
	bind_help .buttons.$name $tip
    }
    button .buttons.enterright -text "Enter" -command enter_range
    entry .buttons.right -textvariable c(displayright) -width 16
    pack .buttons.enterright .buttons.right -side left
    bind_help .buttons.right "End of display range"
    foreach b {.buttons.enterleft .buttons.enterright} {
	bind_help $b "Force display redraw after\nchanging time range"
    }
    foreach e {.buttons.left .buttons.right} {
	bind $e <Return> enter_range
	bind $e <KP_Enter> enter_range
    }

    pack .debug -side bottom -fill x
    pack .master -side bottom -fill x
    pack .mastersize -side bottom -fill x
    pack .buttons -side bottom -fill x

    frame .displays
    pack .displays -side top -fill both -expand 1
}

#----------------------------------------------------------------------
# resize_pane --
#
#	Moves a sash: the pane (master frame or channel list) shrinks by
#	the pointer's offset inside the sash at the release (grows for a
#	negative offset).  A pane is kept at least 20 pixels wide or high
#	so that it can be dragged back.
#
# Results:
#	None.
#
# Side effects:
#	Reconfigures the pane's size.
#----------------------------------------------------------------------

proc resize_pane {pane what offset} {
    set size [expr {[winfo $what $pane] - $offset}]
    if {$size < 20} {
	set size 20
    }
    $pane configure -$what $size
}

#----------------------------------------------------------------------
# enter_range --
#
#	The "Enter" buttons: shows the display range typed into the two
#	entries.
#
# Results:
#	None.
#
# Side effects:
#	Engine time range; master rectangle; displays redrawn.
#----------------------------------------------------------------------

proc enter_range {} {
    if {![file_loaded] || [calc_running]} {
	return
    }
    CalculateTimeRange [.buttons.left get] [.buttons.right get] [master_width]
    recalc_master
    redraw_all_displays
}

#----------------------------------------------------------------------
# bind_keys --
#
#	Binds the scroll and zoom keys for all windows.  In an entry the
#	left and right arrows move the cursor instead.
#
# Results:
#	None.
#
# Side effects:
#	Adds bindings to the tag "all".
#----------------------------------------------------------------------

proc bind_keys {} {
    bind all <Key-Prior> {scroll_zoom srf}
    bind all <Key-Next> {scroll_zoom slf}
    bind all <Key-Left> {if {[winfo class %W] ne "Entry"} {scroll_zoom sls}}
    bind all <Key-Up> {scroll_zoom zout}
    bind all <Key-Right> {if {[winfo class %W] ne "Entry"} {scroll_zoom srs}}
    bind all <Key-Down> {scroll_zoom zin}
}

# ----------------------------------------------------------------------
# Opening, reloading and quitting
# ----------------------------------------------------------------------

#----------------------------------------------------------------------
# do_open --
#
#	Opens a recording: the command-line file when one is pending, else
#	the one chosen in the open dialog.  Loads its statistics, names and
#	times, draws the master and builds the two-by-two layout.
#
# Results:
#	None.  An engine error is raised again after the grab is released.
#
# Side effects:
#	Most of c; the window title; the displays area.
#----------------------------------------------------------------------

proc do_open {} {
    global c useCmdLine

    grab set .ch_list
    if {[catch {open_file} message options]} {
	catch {grab release .ch_list}
	return -options $options $message
    }
    update
    catch {grab release .ch_list}
}

proc open_file {} {
    global c useCmdLine load_serial

    if {$useCmdLine == 0 || ![file exists $c(cmdLineFile)]} {
	set path [tk_getOpenFile -title "Select Data File" \
		      -initialdir $c(filepath) -defaultextension "bin" \
		      -filetypes {{"Data File" {.bin}}}]
    } else {
	set path $c(cmdLineFile)
    }
    set useCmdLine 0
    if {$path eq "" || ![file exists $path]} {
	return
    }

    wm title . "Trendel - $path"
    set c(filename) $path
    set c(filepath) [file dirname $path]
    set n [LoadFileStats $path 0]
    set c(numberOfChannels) $n

    set c(hi,.master.c) [GetMaxEU]
    set c(lo,.master.c) [expr {-$c(hi,.master.c)}]
    set c(diff,.master.c) [expr {$c(hi,.master.c) - $c(lo,.master.c)}]
    set c(bottom,.master.c) $c(lo,.master.c)
    set c(top,.master.c) $c(hi,.master.c)
    delete_c name,*
    for {set i 1} {$i <= $n} {incr i} {
	set c(name,$i) [GetChannelName $i]
    }
    set_channel_colors $n

    set c(masterleft) [GetPercentTime 1 0]
    set c(masterright) [GetPercentTime 1 1]
    set c(displayleft) $c(masterleft)
    set c(displayright) [GetPercentTime 1 .01]

    CalculateTimeRange $c(masterleft) $c(masterright) [master_width]
    if {[IsDataPresent] == 0} {
	tk_messageBox -title "Trendel Message" -type ok \
	    -message "This file does not contain any data"
    }

    set channels {}
    for {set i 1} {$i <= $n} {incr i} {
	lappend channels $i
    }
    set c(channels,.master.c) $channels
    predraw_master
    set c(fileloaded) "yes"
    new_layout {{1 2} {3 4}}
    update
    catch {grab release .ch_list}
    redraw_master
    incr load_serial
    first_draw_report
}

#----------------------------------------------------------------------
# first_draw_report --
#
#	With the environment variable TRENDEL_TIMING set, writes the time
#	of each completed load ("trendel: drawn at MICROSECONDS", the wall
#	clock) to standard output, so that start-up can be timed from the
#	outside.
#
# Results:
#	None.
#
# Side effects:
#	May write one line to standard output.
#----------------------------------------------------------------------

proc first_draw_report {} {
    global env
    if {[info exists env(TRENDEL_TIMING)]} {
	catch {
	    puts stdout "trendel: drawn at [clock microseconds]"
	    flush stdout
	}
    }
}

#----------------------------------------------------------------------
# do_reload --
#
#	Reads the current file again without asking (the dialog when no
#	file is loaded).
#
# Results:
#	None.
#
# Side effects:
#	As do_open.
#----------------------------------------------------------------------

proc do_reload {} {
    global c useCmdLine
    set c(cmdLineFile) $c(filename)
    set useCmdLine 1
    do_open
}

proc do_quit {} {
    exit
}

# ----------------------------------------------------------------------
# Layout and channel assignment
# ----------------------------------------------------------------------

#----------------------------------------------------------------------
# new_layout --
#
#	Replaces the displays by those of a shape (a nested list: the
#	outer elements stacked top to bottom, the next level side by side,
#	and so on alternately), assigns the channels and shows the first
#	hundredth of the file.
#
# Results:
#	None.
#
# Side effects:
#	Destroys .lo and the old displays with their keys of c; creates the
#	new displays; engine time range; redraws.
#----------------------------------------------------------------------

proc new_layout {shape} {
    global c

    destroy .lo
    foreach child [winfo children .displays] {
	destroy $child
    }
    foreach display $c(displays) {
	catch {delete_c "*,$display"}
    }
    set c(displays) {}
    new_layout_rec .displays $shape left 0
    update idletasks
    foreach display $c(displays) {
	set c(channels,$display) {}
	set c(x_undo_counter,$display) 0
    }
    set c(x_undo_counter,.master.c) 0
    assign_channels
    if {![file_loaded]} {
	return
    }
    set c(displayleft) $c(masterleft)
    set c(displayright) [GetPercentTime 1 .01]
    CalculateTimeRange $c(displayleft) $c(displayright) [master_width]
    recalc_master
    redraw_all_displays
}

#----------------------------------------------------------------------
# new_layout_rec --
#
#	Builds the frames of one node of a shape inside window: a
#	one-element shape is a display (gain slider, axis canvas, display
#	canvas), a longer one a frame whose elements alternate between
#	stacking and side by side.
#
# Results:
#	None.
#
# Side effects:
#	Creates frames; appends displays to c(displays) in depth-first
#	order.
#----------------------------------------------------------------------

proc new_layout_rec {window shape side counter} {
    global c

    set frame $window.$counter
    if {[llength $shape] == 1} {
	frame $frame -borderwidth 2 -relief raised
	pack $frame -side $side -fill both -expand 1
	pack propagate $frame 0
	set display $frame.c
	frame $frame.f
	pack $frame.f -side left -fill y
	scale $frame.f.s -orient vertical -from 8 -to 0 -showvalue 0 \
	    -digits 0 -resolution -1 -variable c(gainlog,$display) \
	    -command [list set_gain $display]
	pack $frame.f.s -side top -fill both -expand 1
	bind_help $frame.f.s "Zoom Y Scale"
	canvas $frame.c1 -background grey -borderwidth 0 -highlightthickness 0 -width 1
	pack $frame.c1 -side left -fill y
	canvas $display -background $c(dspbgcolor) -borderwidth 0 -highlightthickness 0 \
	    -width 1 -height 1
	pack $display -side left -fill both -expand 1
	set c(oldgain,$display) 100
	set c(gainlog,$display) 0
	set_bindings $display
	lappend c(displays) $display
	return
    }
    frame $frame
    pack $frame -side $side -fill both -expand 1
    if {$side eq "top"} {
	set inner left
    } else {
	set inner top
    }
    set n 0
    foreach element $shape {
	new_layout_rec $frame $element $inner [incr n]
    }
}

#----------------------------------------------------------------------
# assign_channels --
#
#	Distributes the file's channels over the displays by the rule in
#	c(assign), then sets every display's value range to the full range
#	of its channels.
#
# Results:
#	None.
#
# Side effects:
#	c(channels,display) of every display; value ranges and sliders.
#----------------------------------------------------------------------

proc assign_channels {} {
    global c

    if {![file_loaded]} {
	return
    }
    set n $c(numberOfChannels)
    set all {}
    for {set i 1} {$i <= $n} {incr i} {
	lappend all $i
    }
    set count [llength $c(displays)]
    switch -- $c(assign) {
	all {
	    foreach display $c(displays) {
		set c(channels,$display) $all
	    }
	}
	master {
	    foreach display $c(displays) {
		set c(channels,$display) $c(channels,.master.c)
	    }
	}
	empty {
	    foreach display $c(displays) {
		set c(channels,$display) {}
	    }
	}
	default {
	    foreach display $c(displays) {
		set c(channels,$display) {}
	    }
	    if {$count > 0} {
		if {$c(assign) eq "split"} {
		    set cpd [expr {($n + $count - 1) / $count}]
		} else {
		    set cpd $c(assign)
		}
		if {$cpd < 1} {
		    set cpd 1
		}
		for {set i 1} {$i <= $n} {incr i} {
		    set position [expr {($i - 1) / $cpd}]
		    if {$position < $count} {
			lappend c(channels,[lindex $c(displays) $position]) $i
		    }
		}
	    }
	}
    }
    calcEuForAllDisplays
}

#----------------------------------------------------------------------
# reassign_channels --
#
#	The "Assign Channels" menu: a new rule takes effect on the screen at
#	once, not only at the next redraw.
#
# Results:
#	None.
#
# Side effects:
#	As assign_channels; redraws the displays.
#----------------------------------------------------------------------

proc reassign_channels {} {
    assign_channels
    redraw_all_displays
}

#----------------------------------------------------------------------
# calcEuForDisplay, calcEuForAllDisplays --
#
#	Sets a drawing area's full value range from the largest value its
#	channels can take, and shows that range (gain slider back to 0).
#
# Results:
#	None.
#
# Side effects:
#	c(hi|lo|diff|bottom|top|gainlog,display); range history.
#----------------------------------------------------------------------

proc calcEuForDisplay {w} {
    global c
    set hi [GetMaxDisplayEU $c(channels,$w)]
    set c(hi,$w) $hi
    set c(lo,$w) [expr {-$hi}]
    set c(diff,$w) [expr {$hi - $c(lo,$w)}]
    new_xrange $w $c(lo,$w) $hi -noredraw
}

proc calcEuForAllDisplays {} {
    global c
    foreach display $c(displays) {
	calcEuForDisplay $display
    }
}

# ----------------------------------------------------------------------
# Drawing
# ----------------------------------------------------------------------

#----------------------------------------------------------------------
# ticks --
#
#	The value grid of an axis: spacing near aim pixels on a height of h
#	pixels showing bottom..top, in steps of 1, 2 or 5 times a power of
#	ten.
#
# Results:
#	The list of tick values, lowest first; empty for an empty span or
#	a window without height.
#
# Side effects:
#	None.
#----------------------------------------------------------------------

proc ticks {aim h bottom top} {
    set range [expr {double($top) - $bottom}]
    if {!($range > 0) || $h <= 0} {
	return {}
    }
    set k [expr {round(log10(($h / double($aim)) / $range))}]
    set dim [expr {1.0 / pow(10, $k)}]
    set p [expr {$h / ($range / $dim)}]
    if {$p > 1.5 * $aim} {
	set dim [expr {$dim / 2.0}]
    }
    if {$p < $aim / 1.5} {
	set dim [expr {$dim * 2.0}]
    }
    set first [expr {int($bottom / $dim + 0.5)}]
    set last [expr {int($top / $dim - 0.5)}]
    set values {}
    for {set i $first} {$i <= $last} {incr i} {
	lappend values [expr {$i * $dim}]
    }
    return $values
}

#----------------------------------------------------------------------
# draw_axis --
#
#	Draws the labels of an area's ticks on its axis canvas and the grid
#	lines on the area.
#
# Results:
#	None.
#
# Side effects:
#	Items on w and on w's axis canvas w1; may widen the axis canvas.
#----------------------------------------------------------------------

proc draw_axis {w values bottom top color axiswidth} {
    set axis ${w}1
    set font {{} 8}
    set widest 0
    foreach v $values {
	set width [font measure $font $v]
	if {$width > $widest} {
	    set widest $width
	}
    }
    if {$axiswidth eq ""} {
	$axis configure -width [expr {$widest + 8}]
	update idletasks
    } else {
	$axis configure -width $axiswidth
    }
    set h [winfo height $w]
    set width [winfo width $w]
    set range [expr {double($top) - $bottom}]
    foreach v $values {
	set y [expr {$h * (1 - ($v - $bottom) / $range)}]
	$axis create text $widest $y -anchor e -text $v -font $font
	$w create line 0 $y $width $y -fill $color -dash {2 2} -tags line
    }
}

#----------------------------------------------------------------------
# draw_traces --
#
#	Draws one trace per channel of a list; a channel whose coordinate
#	list holds fewer than two points draws nothing.
#
# Results:
#	None.
#
# Side effects:
#	Items tagged "chN" and "line" on w.
#----------------------------------------------------------------------

proc draw_traces {w full channels bottom top} {
    global c
    set width [winfo width $w]
    set h [winfo height $w]
    foreach ch $channels {
	set coords [GetChannelData $full $ch $width $h $bottom $top]
	draw_trace $w $ch $coords
    }
}

proc draw_trace {w ch coords} {
    global c
    if {[llength $coords] > 3} {
	if {![info exists c(color,$ch)]} {
	    set c(color,$ch) [channel_color $ch]
	}
	$w create line {*}$coords -fill $c(color,$ch) -tags [list ch$ch line]
    }
}

#----------------------------------------------------------------------
# redraw_display --
#
#	Redraws a display: grid, labels and the traces of its channels over
#	the display time range and its value range.
#
# Results:
#	None.
#
# Side effects:
#	Canvas items of the display and of its axis canvas.
#----------------------------------------------------------------------

proc redraw_display {d} {
    global c
    if {![file_loaded] || ![winfo exists $d]} {
	return
    }
    $d delete line
    ${d}1 delete all
    set bottom $c(bottom,$d)
    set top $c(top,$d)
    set values [ticks 20 [winfo height $d] $bottom $top]
    draw_axis $d $values $bottom $top $c(dspaxiscolor) ""
    if {[IsDataPresent] == 1 && $top > $bottom} {
	draw_traces $d 0 $c(channels,$d) $bottom $top
    }
    $d raise frame
}

proc redraw_all_displays {} {
    global c
    foreach display $c(displays) {
	redraw_display $display
    }
}

#----------------------------------------------------------------------
# predraw_master, redraw_master --
#
#	The master's grid over its full value range lo..hi (predraw_master
#	runs before the file counts as loaded, with a coarser grid), and
#	the full master with the traces of its channels over the whole
#	file.
#
# Results:
#	None.
#
# Side effects:
#	Canvas items of .master.c and .master.c1.
#----------------------------------------------------------------------

proc predraw_master {} {
    global c
    set w .master.c
    $w delete line
    .master.c1 delete all
    set values [ticks 50 [winfo height $w] $c(lo,$w) $c(hi,$w)]
    draw_axis $w $values $c(lo,$w) $c(hi,$w) grey 50
    $w raise frame
}

proc redraw_master {} {
    global c
    if {![file_loaded]} {
	return
    }
    set w .master.c
    $w delete line
    .master.c1 delete all
    set values [ticks 20 [winfo height $w] $c(lo,$w) $c(hi,$w)]
    draw_axis $w $values $c(lo,$w) $c(hi,$w) $c(masteraxiscolor) 50
    if {[IsDataPresent] == 1 && $c(hi,$w) > $c(lo,$w)} {
	draw_traces $w 1 $c(channels,$w) $c(lo,$w) $c(hi,$w)
    }
    $w raise frame
}

# ----------------------------------------------------------------------
# Navigation: range rectangle and mouse bindings
# ----------------------------------------------------------------------

#----------------------------------------------------------------------
# redraw_frame --
#
#	Places the range rectangle of a drawing area: the filled rectangle
#	and the four dashed lines through its edges across the whole area.
#
# Results:
#	None.
#
# Side effects:
#	Moves the items tagged rectangle, left, right, top and bottom.
#----------------------------------------------------------------------

proc redraw_frame {w left top right bottom} {
    set width [winfo width $w]
    set height [winfo height $w]
    $w coords rectangle $left $top $right $bottom
    $w coords left $left 0 $left $height
    $w coords right $right 0 $right $height
    $w coords top 0 $top $width $top
    $w coords bottom 0 $bottom $width $bottom
}

#----------------------------------------------------------------------
# set_bindings --
#
#	Makes a canvas a drawing area: background, cursor, range rectangle
#	items, and the mouse bindings (channel names on entry, read-out on
#	motion, range selection with button 1, channel chooser on button 3).
#
# Results:
#	None.
#
# Side effects:
#	Items and bindings on w.
#----------------------------------------------------------------------

proc set_bindings {w} {
    global c

    if {$w eq ".master.c"} {
	$w configure -background $c(masterbgcolor) -cursor crosshair
    } else {
	$w configure -background $c(dspbgcolor) -cursor crosshair
    }
    $w create rectangle -2 -2 -2 -2 -fill $c(highlightcolor) -outline "" \
	-tags rectangle
    foreach edge {left right top bottom} {
	$w create line -2 -2 -2 -2 -fill red -dash {1 1} -tags [list $edge frame]
    }

    bind $w <Enter> [list area_enter $w]
    bind $w <Leave> [list area_leave $w]
    bind $w <ButtonPress-3> [list choose_channels $w %X %Y]
    bind $w <ButtonPress-1> [list area_press $w %x %y]
    bind $w <B1-Motion> [list area_drag $w %x %y]
    bind $w <Motion> [list area_motion $w %x %y]
    if {$w eq ".master.c"} {
	bind $w <ButtonRelease-1> [list master_release $w]
    } else {
	bind $w <ButtonRelease-1> [list display_release $w]
    }
}

proc area_enter {w} {
    global c
    if {![file_loaded]} {
	return
    }
    .ch_list.t delete 1.0 end
    foreach ch $c(channels,$w) {
	if {![info exists c(name,$ch)]} {
	    continue
	}
	.ch_list.t insert end "$c(name,$ch)\n" $ch
	.ch_list.t tag configure $ch -foreground $c(color,$ch) \
	    -background $c(namesbgcolor)
    }
    set c(bottom,.master.c) $c(bottom,$w)
    set c(top,.master.c) $c(top,$w)
    if {![calc_running]} {
	recalc_master
    }
}

proc area_leave {w} {
    global c
    .ch_list.t delete 1.0 end
    set c(time) ""
    set c(volt) ""
}

proc area_press {w x y} {
    global c
    $w configure -background $c(reversecolor)
    set width [winfo width $w]
    set height [winfo height $w]
    switch -- $c(zoom) {
	"Y locked" { redraw_frame $w $x 1 $x [expr {$height - 1}] }
	"X locked" { redraw_frame $w 1 $y [expr {$width - 1}] $y }
	default    { redraw_frame $w $x $y $x $y }
    }
}

proc area_drag {w x y} {
    global c
    if {![file_loaded]} {
	return
    }
    lassign [$w coords rectangle] left top right bottom
    update idletasks
    if {$c(zoom) ne "X locked"} {
	if {$left > $x} {
	    set left $x
	} else {
	    set right $x
	}
    }
    if {$c(zoom) ne "Y locked"} {
	if {$top > $y} {
	    set top $y
	} else {
	    set bottom $y
	}
    }
    redraw_frame $w $left $top $right $bottom
    area_motion $w $x $y
}

#----------------------------------------------------------------------
# area_motion --
#
#	The read-out row: time and value under the pointer.
#
# Results:
#	None.
#
# Side effects:
#	c(time), c(volt).
#----------------------------------------------------------------------

proc area_motion {w x y} {
    global c
    if {![file_loaded] || [calc_running]} {
	return
    }
    set width [winfo width $w]
    set height [winfo height $w]
    if {$width <= 0 || $height <= 0} {
	return
    }
    set fx [expr {double($x) / $width}]
    set fy [expr {double($y) / $height}]
    if {$w eq ".master.c"} {
	set c(time) [GetPercentTime 1 $fx]
	set c(volt) [expr {$c(hi,$w) - $c(diff,$w) * $fy}]
    } else {
	set c(time) [GetPercentTime 0 $fx]
	set c(volt) [expr {$c(bottom,$w) + ($c(top,$w) - $c(bottom,$w)) * (1 - $fy)}]
    }
}

#----------------------------------------------------------------------
# rectangle_fractions --
#
#	Reads an area's range rectangle as fractions of its size, measured
#	from the top-left corner and clamped to the area.
#
# Results:
#	The list {x1 y1 x2 y2 left top right bottom}: pixels, then
#	fractions.
#
# Side effects:
#	Processes idle tasks so that the coordinates are current.
#----------------------------------------------------------------------

proc rectangle_fractions {w} {
    update idletasks
    lassign [$w coords rectangle] x1 y1 x2 y2
    set width [winfo width $w]
    set height [winfo height $w]
    if {$width <= 0} { set width 1 }
    if {$height <= 0} { set height 1 }
    set fractions {}
    foreach v [list $x1 $y1 $x2 $y2] size [list $width $height $width $height] {
	set f [expr {double($v) / $size}]
	# A drag may leave the area; the selection ends at its edges.
	if {$f < 0} { set f 0.0 }
	if {$f > 1} { set f 1.0 }
	lappend fractions $f
    }
    return [concat [list $x1 $y1 $x2 $y2] $fractions]
}

#----------------------------------------------------------------------
# master_release --
#
#	End of a selection on the master: a click centres the current span
#	on the clicked time, a drag selects a time range (unless "X
#	locked") and, with a vertical extent and not "Y locked", the value
#	range of every display.
#
# Results:
#	None.
#
# Side effects:
#	Display time range, engine time range, value ranges, redraws.
#----------------------------------------------------------------------

proc master_release {w} {
    global c
    if {![file_loaded] || [calc_running]} {
	return
    }
    lassign [rectangle_fractions $w] x1 y1 x2 y2 left top right bottom

    # "X locked" selects values only: the time range stays.
    if {$c(zoom) ne "X locked"} {
	if {abs($x1 - $x2) < 4} {
	    set half [expr {([GetFraction $c(displayright)] - [GetFraction $c(displayleft)]) / 2.0}]
	    lassign [GetPercentTime 1 [expr {$left - $half}] [expr {$left + $half}]] \
		c(displayleft) c(displayright)
	} else {
	    set c(displayleft) [GetPercentTime 1 $left]
	    set c(displayright) [GetPercentTime 1 $right]
	}
    }
    $w configure -background $c(masterbgcolor)
    if {$c(zoom) ne "X locked"} {
	CalculateTimeRange $c(displayleft) $c(displayright) [master_width]
	recalc_master
    }
    if {$c(zoom) ne "Y locked"} {
	set c(bottom,$w) [expr {$c(lo,$w) + $c(diff,$w) * (1 - $bottom)}]
	set c(top,$w) [expr {$c(lo,$w) + $c(diff,$w) * (1 - $top)}]
	if {abs($y2 - $y1) > 4} {
	    foreach display $c(displays) {
		new_xrange $display $c(bottom,$w) $c(top,$w) -noredraw
	    }
	}
	recalc_master
    }
    redraw_all_displays
}

#----------------------------------------------------------------------
# display_release --
#
#	End of a selection on a display: a click centres the time span
#	(and, unless "Y locked", the value span) on the clicked point; a
#	drag selects a time range for all displays (unless "X locked") and
#	a value range for this display (unless "Y locked").
#
# Results:
#	None.
#
# Side effects:
#	Display time range, engine time range, the display's value range,
#	redraws.
#----------------------------------------------------------------------

proc display_release {d} {
    global c
    if {![file_loaded] || [calc_running]} {
	return
    }
    lassign [rectangle_fractions $d] x1 y1 x2 y2 left top right bottom
    set oldbottom $c(bottom,$d)
    set oldtop $c(top,$d)
    set oldrange [expr {$oldtop - $oldbottom}]
    set click [expr {abs($x1 - $x2) < 4}]
    set valid [IsValidPercentRange 0 $left $right]

    if {$valid || $click} {
	set newbottom [expr {$oldbottom + $oldrange * (1 - $bottom)}]
	set newtop [expr {$oldbottom + $oldrange * (1 - $top)}]
    } else {
	set newbottom $oldbottom
	set newtop $oldtop
    }
    if {abs($y2 - $y1) < 4} {
	set centre $newtop
	set newbottom [expr {$centre - $oldrange / 2.0}]
	set newtop [expr {$centre + $oldrange / 2.0}]
	lassign [clamp_range $d $newbottom $newtop] newbottom newtop
    }

    # "X locked" selects values only: the time range stays.
    if {$c(zoom) ne "X locked"} {
	if {$click} {
	    lassign [GetPercentTime 0 [expr {$left - 0.5}] [expr {$left + 0.5}]] \
		c(displayleft) c(displayright)
	} elseif {$valid} {
	    set newleft [GetPercentTime 0 $left]
	    set c(displayright) [GetPercentTime 0 $right]
	    set c(displayleft) $newleft
	}
    }

    redraw_frame $d -2 -2 -2 -2
    $d configure -background $c(dspbgcolor)
    if {$c(zoom) ne "Y locked"} {
	new_xrange $d $newbottom $newtop -noredraw
	set c(bottom,.master.c) $newbottom
	set c(top,.master.c) $newtop
	recalc_master
    }
    if {$c(zoom) ne "X locked"} {
	CalculateTimeRange $c(displayleft) $c(displayright) [master_width]
	recalc_master
	redraw_all_displays
    } else {
	redraw_display $d
    }
}

#----------------------------------------------------------------------
# clamp_range --
#
#	Keeps a value span of a display within 1.5 times its full range,
#	moving it rather than shrinking it.
#
# Results:
#	The list {bottom top}.
#
# Side effects:
#	None.
#----------------------------------------------------------------------

proc clamp_range {d bottom top} {
    global c
    set limit [expr {1.5 * $c(hi,$d)}]
    set floor [expr {1.5 * $c(lo,$d)}]
    if {$top > $limit} {
	set bottom [expr {$bottom - ($top - $limit)}]
	set top $limit
    }
    if {$bottom < $floor} {
	set top [expr {$top - ($bottom - $floor)}]
	set bottom $floor
    }
    list $bottom $top
}

#----------------------------------------------------------------------
# recalc_master --
#
#	Keeps the display time range inside the file and places the
#	master's range rectangle over the display time range and the value
#	span in the master's bottom and top keys.
#
# Results:
#	None.
#
# Side effects:
#	May change the display range (engine range, redraw); moves the
#	master's rectangle.
#----------------------------------------------------------------------

proc recalc_master {} {
    global c
    if {![file_loaded]} {
	return
    }
    set w .master.c
    if {[compareTime $c(displayleft) $c(masterleft)] < 0
	    || ([compareTime $c(displayleft) $c(displayright)] > 0
		&& [compareTime $c(displayright) $c(masterleft)] >= 0)} {
	set c(displayleft) $c(masterleft)
	CalculateTimeRange $c(displayleft) $c(displayright) [master_width]
	redraw_all_displays
    }
    if {[compareTime $c(displayright) $c(masterright)] > 0
	    || [compareTime $c(displayright) $c(displayleft)] < 0} {
	set c(displayright) $c(masterright)
	CalculateTimeRange $c(displayleft) $c(displayright) [master_width]
	redraw_all_displays
    }
    set width [winfo width $w]
    set height [winfo height $w]
    set left [expr {int($width * [GetFraction $c(displayleft)])}]
    set right [expr {int($width * [GetFraction $c(displayright)])}]
    set bottom [expr {int($height * ($c(hi,$w) - $c(bottom,$w)) / $c(diff,$w))}]
    set top [expr {int($height * ($c(hi,$w) - $c(top,$w)) / $c(diff,$w)) - 1}]
    redraw_frame $w $left $top $right $bottom
    update idletasks
}

#----------------------------------------------------------------------
# compareTime --
#
#	Compares two time stamps days:hours:minutes:seconds (missing
#	trailing fields count as 0, a stamp without a number as 0).
#
# Results:
#	1, -1 or 0 as t1 is later, earlier or the same.
#
# Side effects:
#	None.
#----------------------------------------------------------------------

proc compareTime {t1 t2} {
    set a [time_seconds $t1]
    set b [time_seconds $t2]
    expr {$a > $b ? 1 : ($a < $b ? -1 : 0)}
}

proc time_seconds {t} {
    set fields [list 0 0 0 0]
    set n 0
    foreach part [split $t :] {
	if {$n >= 4 || ![string is double -strict $part]} {
	    break
	}
	lset fields $n $part
	incr n
    }
    lassign $fields d h m s
    expr {86400.0 * $d + 3600.0 * $h + 60.0 * $m + $s}
}

# ----------------------------------------------------------------------
# Navigation: scrolling, zoom mode, value ranges and gain
# ----------------------------------------------------------------------

#----------------------------------------------------------------------
# scroll_zoom --
#
#	A scroll or zoom step of the display time range: slf, sls, srs and
#	srf move a page or a fifth of one, zin shows the middle half, zout
#	twice the span around the same centre.
#
# Results:
#	None.
#
# Side effects:
#	Display time range, engine range, master rectangle, displays.
#----------------------------------------------------------------------

proc scroll_zoom {mode} {
    global c
    if {![file_loaded] || [calc_running]} {
	return
    }
    switch -- $mode {
	slf	{ set f {-1 0} }
	sls	{ set f {-0.2 0.8} }
	zin	{ set f {0.25 0.75} }
	zout	{ set f {-0.5 1.5} }
	srs	{ set f {0.2 1.2} }
	srf	{ set f {1 2} }
	default	{ return }
    }
    lassign [GetPercentTime 0 {*}$f] c(displayleft) c(displayright)
    CalculateTimeRange $c(displayleft) $c(displayright) [master_width]
    recalc_master
    redraw_all_displays
}

#----------------------------------------------------------------------
# refresh --
#
#	Recomputes and redraws everything for the display time range (the
#	"Refresh" button and every resize of the displays area).  During a
#	computation it only notes that a refresh is due.
#
# Results:
#	None.
#
# Side effects:
#	Engine range; all drawing areas.
#----------------------------------------------------------------------

proc refresh {} {
    global c
    if {![file_loaded]} {
	return
    }
    if {[calc_running]} {
	set c(refreshpending) 1
	return
    }
    CalculateTimeRange $c(displayleft) $c(displayright) [master_width]
    recalc_master
    redraw_all_displays
    redraw_master
}

#----------------------------------------------------------------------
# draw_mode --
#
#	Shows the zoom mode as arrows on the square canvas .ch_list.c (a
#	horizontal arrow: time can be selected, a vertical one: values),
#	which opens the mode chooser when clicked.
#
# Results:
#	None.
#
# Side effects:
#	c(zoom) when a mode is given; destroys .ms; items on .ch_list.c.
#----------------------------------------------------------------------

proc draw_mode {{mode ""}} {
    global c
    if {$mode ne ""} {
	set c(zoom) $mode
	update idletasks
	destroy .ms
    }
    set canvas .ch_list.c
    set s [winfo width $canvas]
    if {$s < 2} {
	set s [winfo reqwidth .ch_list]
    }
    if {[winfo height $canvas] != $s || [$canvas cget -height] != $s} {
	$canvas configure -height $s
    }
    draw_arrows $canvas $c(zoom) $s
    bind $canvas <ButtonRelease-1> {draw_mode_select %X %Y}
}

proc draw_arrows {canvas mode s} {
    set first [expr {int(0.1 * $s)}]
    set second [expr {int(0.9 * $s)}]
    set head [expr {int(0.1 * $s)}]
    set half [expr {int(0.5 * $s)}]
    $canvas delete arrows
    if {$mode ne "X locked"} {
	$canvas create line $first $half $second $half -width 5 -arrow both \
	    -arrowshape [list $head $head $head] -tags arrows
    }
    if {$mode ne "Y locked"} {
	$canvas create line $half $first $half $second -width 5 -arrow both \
	    -arrowshape [list $head $head $head] -tags arrows
    }
}

#----------------------------------------------------------------------
# draw_mode_select --
#
#	The zoom mode chooser .ms: one picture per mode; releasing the
#	button on one selects it.  Its bottom-right corner lies at the
#	screen position (x, y).
#
# Results:
#	None.
#
# Side effects:
#	Creates .ms with the focus and a grab.
#----------------------------------------------------------------------

proc draw_mode_select {x y} {
    destroy .ms
    toplevel .ms
    wm title .ms "Choose Zoom Mode"
    foreach mode {"Unlocked" "X locked" "Y locked"} {
	set name .ms.[string map {" " ""} [string tolower $mode]]
	canvas $name -width 100 -height 100 -relief raised -borderwidth 2 \
	    -highlightthickness 0
	pack $name -side left -padx 10 -pady 10
	draw_arrows $name $mode 100
	bind $name <ButtonPress-1> [list $name configure -relief sunken]
	bind $name <ButtonRelease-1> [list draw_mode $mode]
    }
    update idletasks
    set left [expr {$x - [winfo reqwidth .ms]}]
    set top [expr {$y - [winfo reqheight .ms]}]
    if {$left < 0} { set left 0 }
    if {$top < 0} { set top 0 }
    wm geometry .ms +$left+$top
    update idletasks
    focus .ms
    catch {grab set .ms}
}

#----------------------------------------------------------------------
# new_xrange --
#
#	Sets a drawing area's value range and records it in its history.
#	Options: -nogainset keeps the gain slider where it is, -noredraw
#	skips the redraw.
#
# Results:
#	None.
#
# Side effects:
#	c(bottom|top|gainlog|oldgain,w); history; may redraw w.
#----------------------------------------------------------------------

proc new_xrange {w bottom top args} {
    global c
    if {![info exists c(x_undo_counter,$w)]} {
	set c(x_undo_counter,$w) 0
    }
    set n [incr c(x_undo_counter,$w)]
    set c(x_undo,$n,$w) [list $bottom $top]
    # Entries past the new one belong to an abandoned branch of history.
    for {set k [expr {$n + 1}]} {[info exists c(x_undo,$k,$w)]} {incr k} {
	unset c(x_undo,$k,$w)
    }
    set c(bottom,$w) $bottom
    set c(top,$w) $top
    if {"-nogainset" ni $args} {
	set_gain_value $w
    }
    if {"-noredraw" ni $args} {
	redraw_display $w
    }
}

#----------------------------------------------------------------------
# set_gain_value --
#
#	Moves a display's gain slider to match its value range: the slider
#	reads log10 of the magnification over the full range.  The value
#	set counts as the gain last applied, so that the slider's own
#	callback for it changes nothing.
#
# Results:
#	None.
#
# Side effects:
#	c(gainlog,w), c(oldgain,w).
#----------------------------------------------------------------------

proc set_gain_value {w} {
    global c
    set span [expr {$c(top,$w) - $c(bottom,$w)}]
    if {$span > 0 && [info exists c(diff,$w)] && $c(diff,$w) > 0} {
	set c(gainlog,$w) [expr {log10($c(diff,$w) / $span)}]
    } else {
	set c(gainlog,$w) 0
    }
    set c(oldgain,$w) $c(gainlog,$w)
}

#----------------------------------------------------------------------
# undo_xrange, redo_xrange --
#
#	Step back or forward through a drawing area's value-range history.
#
# Results:
#	None.
#
# Side effects:
#	The area's value range, slider and drawing.
#----------------------------------------------------------------------

proc undo_xrange {w} {
    global c
    if {![info exists c(x_undo_counter,$w)] || $c(x_undo_counter,$w) <= 1} {
	return
    }
    set n [incr c(x_undo_counter,$w) -1]
    lassign $c(x_undo,$n,$w) c(bottom,$w) c(top,$w)
    set_gain_value $w
    redraw_display $w
}

proc redo_xrange {w} {
    global c
    if {![info exists c(x_undo_counter,$w)]} {
	return
    }
    set n [expr {$c(x_undo_counter,$w) + 1}]
    if {![info exists c(x_undo,$n,$w)]} {
	return
    }
    set c(x_undo_counter,$w) $n
    lassign $c(x_undo,$n,$w) c(bottom,$w) c(top,$w)
    set_gain_value $w
    redraw_display $w
}

#----------------------------------------------------------------------
# set_gain --
#
#	The gain slider: magnifies the display's value span by 10^gainlog
#	over its full range, around the current centre.  Moves of less
#	than 0.2 from the gain last applied are ignored.
#
# Results:
#	None.
#
# Side effects:
#	The display's value range (redrawn), master rectangle.
#----------------------------------------------------------------------

proc set_gain {w gainlog} {
    global c
    if {![info exists c(oldgain,$w)] || ![info exists c(diff,$w)]} {
	return
    }
    if {abs($gainlog - $c(oldgain,$w)) < 0.2} {
	return
    }
    set c(oldgain,$w) $gainlog
    if {![file_loaded]} {
	return
    }
    set range [expr {$c(diff,$w) / pow(10, $gainlog)}]
    set top [expr {($c(top,$w) + $c(bottom,$w) + $range) / 2.0}]
    set bottom [expr {($c(top,$w) + $c(bottom,$w) - $range) / 2.0}]
    lassign [clamp_range $w $bottom $top] bottom top
    new_xrange $w $bottom $top -nogainset
    set c(bottom,.master.c) $bottom
    set c(top,.master.c) $top
    recalc_master
}

# ----------------------------------------------------------------------
# Dialogs
# ----------------------------------------------------------------------

#----------------------------------------------------------------------
# choose_layout --
#
#	The layout chooser .lo: sixteen previews of display arrangements;
#	releasing the button on one builds that layout.
#
# Results:
#	None.
#
# Side effects:
#	Creates .lo with a grab.
#----------------------------------------------------------------------

proc choose_layout {} {
    if {![file_loaded]} {
	return
    }
    array set lo {
	1 {{1}}
	2 {{1} {2}}
	3 {{1} {2} {3}}
	4 {{1} {2} {3} {4}}
	5 {{1} {2} {3} {4} {5}}
	6 {{1} {2} {3} {4} {5} {6}}
	7 {{1} {{2} {3}}}
	8 {{1} {{2} {3} {4}}}
	9 {{1 2} {3 4}}
	10 {{1 2} {3 4} {5 6}}
	11 {{1 2 3} {4 5 6}}
	12 {{1 2 3} {4 5 6} {7 8 9}}
	13 {{1} {2 3}}
	14 {{1} {{2 3} {4 5}}}
	15 {{1 2} {{3 4} {5 6}}}
	16 {{1 2} {{3 4} {5 6} {7 8}}}
    }
    destroy .lo
    toplevel .lo
    wm title .lo "Choose layout for windows"
    focus .lo
    wm geometry .lo "=1024x720+0+0"
    update idletasks
    catch {grab set .lo}
    set width [win_size .lo width]
    set height [win_size .lo height]
    if {$width > 10 && $height > 10} {
	wm geometry .lo "=[expr {$width - 10}]x[expr {$height - 10}]+0+0"
    }
    button .lo.cancel -text "Cancel" -command {destroy .lo}
    pack .lo.cancel -side bottom
    for {set k 0} {$k < 4} {incr k} {
	frame .lo.col$k
	pack .lo.col$k -side left -fill both -expand 1
	for {set j 1} {$j <= 4} {incr j} {
	    set number [expr {4 * $k + $j}]
	    set preview .lo.col$k.p$number
	    frame $preview -relief raised -borderwidth 2
	    pack $preview -side top -fill both -expand 1 -padx 10 -pady 10 \
		-ipadx 10 -ipady 10
	    pack propagate $preview 0
	    subwindow $preview $lo($number) left $number
	    foreach f [preview_frames $preview] {
		bindtags $f [list layout$number]
	    }
	    bind layout$number <ButtonPress-1> [list $preview configure -relief sunken]
	    bind layout$number <ButtonRelease-1> [list new_layout $lo($number)]
	}
    }
}

proc preview_frames {w} {
    set frames [list $w]
    foreach child [winfo children $w] {
	lappend frames {*}[preview_frames $child]
    }
    return $frames
}

#----------------------------------------------------------------------
# subwindow --
#
#	Builds the preview of a shape inside window, the same way
#	new_layout_rec builds displays: a one-element shape is a raised
#	box, a longer one a frame of alternately stacked and side-by-side
#	boxes.
#
# Results:
#	None.
#
# Side effects:
#	Creates frames below window.
#----------------------------------------------------------------------

proc subwindow {window shape side number} {
    set n 0
    while {[winfo exists $window.s$n]} {
	incr n
    }
    set frame $window.s$n
    if {[llength $shape] == 1} {
	frame $frame -borderwidth 3 -relief raised
	pack $frame -side $side -fill both -expand 1 -padx 5 -pady 5
	return
    }
    frame $frame
    pack $frame -side $side -fill both -expand 1
    set inner [expr {$side eq "top" ? "left" : "top"}]
    foreach element $shape {
	subwindow $frame $element $inner $number
    }
}

#----------------------------------------------------------------------
# choose_channels --
#
#	The channel chooser .cc for a drawing area, at the screen position
#	(x, y): a check button per channel with its colour button, "Select
#	All" and "Select None", "Cancel" and "Ok".  Ticking draws the
#	channel at once; "Ok" keeps the choice, "Cancel" redraws as before.
#
# Results:
#	None.
#
# Side effects:
#	The arrays in and the global fullflag; creates .cc.
#----------------------------------------------------------------------

proc choose_channels {window x y} {
    global c in fullflag
    if {![file_loaded]} {
	return
    }
    set fullflag [expr {$window eq ".master.c" ? 1 : 0}]
    destroy .cc
    toplevel .cc
    wm geometry .cc +$x+$y
    focus .cc
    wm title .cc "Choose Channels"
    update idletasks

    set n $c(numberOfChannels)
    frame .cc.ok
    pack .cc.ok -side bottom -fill x
    button .cc.ok.cancel -text "Cancel" -command channels_cancel
    button .cc.ok.ok -text "Ok" -command channels_ok
    pack .cc.ok.cancel .cc.ok.ok -side left -expand 1 -pady 10

    frame .cc.select
    pack .cc.select -side bottom -fill x
    button .cc.select.all -text "Select All" -command [list select_channels $window 1]
    button .cc.select.none -text "Select None" -command [list select_channels $window 0]
    if {$n < 16} {
	pack .cc.select.all .cc.select.none -side top -expand 1
    } else {
	pack .cc.select.all .cc.select.none -side left -expand 1
    }

    # Sixteen rows per column; files of more than 256 channels get more
    # columns rather than losing channels.
    set columns [expr {max(16, ($n + 15) / 16)}]
    for {set k 0} {$k < $columns} {incr k} {
	frame .cc.col$k
	pack .cc.col$k -side left -fill y -anchor n
    }

    array unset in
    set in(window) $window
    for {set i 1} {$i <= $n} {incr i} {
	set in($i) 0
    }
    foreach ch $c(channels,$window) {
	set in($ch) 1
    }
    for {set i 1} {$i <= $n} {incr i} {
	set row .cc.col[expr {($i - 1) / 16}].r$i
	frame $row
	pack $row -side top -fill x
	checkbutton $row.check -text $c(name,$i) -variable in($i) -anchor w \
	    -command [list do_a_redraw $window $i $fullflag]
	button $row.color -background $c(color,$i) -activebackground $c(color,$i) \
	    -width 1 -command [list choose_color $window $x $y $i]
	pack $row.check -side left
	pack $row.color -side right
    }
    keep_on_screen .cc $x $y
}

proc channel_button {channel} {
    return .cc.col[expr {($channel - 1) / 16}].r$channel.color
}

proc select_channels {window state} {
    global c in fullflag
    for {set i 1} {$i <= $c(numberOfChannels)} {incr i} {
	set in($i) $state
	do_a_redraw $window $i $fullflag
    }
}

proc channels_cancel {} {
    calcEuForAllDisplays
    redraw_all_displays
    redraw_master
    destroy .cc
}

proc channels_ok {} {
    global c in
    set window $in(window)
    set chosen {}
    for {set i 1} {$i <= $c(numberOfChannels)} {incr i} {
	if {$in($i)} {
	    lappend chosen $i
	}
    }
    set c(channels,$window) $chosen
    calcEuForDisplay $window
    redraw_all_displays
    redraw_master
    destroy .cc
}

#----------------------------------------------------------------------
# do_a_redraw, redraw_channel --
#
#	Draws a ticked channel in the window the chooser works on, or
#	removes an unticked one.
#
# Results:
#	None.
#
# Side effects:
#	Items tagged chN on window.
#----------------------------------------------------------------------

proc do_a_redraw {window channel fullflag} {
    redraw_channel $window $channel $fullflag
}

proc redraw_channel {window channel fullflag} {
    global c in
    if {![winfo exists $window]} {
	return
    }
    if {[info exists in($channel)] && $in($channel)} {
	if {[IsDataPresent] != 1} {
	    return
	}
	if {$fullflag == 1} {
	    set w .master.c
	    set coords [GetChannelData 1 $channel [winfo width $w] [winfo height $w] \
			    $c(lo,$w) $c(hi,$w)]
	} else {
	    set coords [GetChannelData 0 $channel [winfo width $window] \
			    [winfo height $window] $c(bottom,$window) $c(top,$window)]
	}
	draw_trace $window $channel $coords
	$window raise frame
    } else {
	$window delete ch$channel
    }
}

#----------------------------------------------------------------------
# choose_color --
#
#	The colour dialog for one channel; a chosen colour recolours the
#	channel's trace in window and its button in the chooser.
#
# Results:
#	None.
#
# Side effects:
#	c(color,channel); items and the button's background.
#----------------------------------------------------------------------

proc choose_color {window x y channel} {
    global c
    catch {grab release .cc}
    catch {grab set .cc}
    set color [tk_chooseColor -title "Choose Color for $c(name,$channel)" \
		   -parent .cc -initialcolor $c(color,$channel)]
    if {$color eq ""} {
	return
    }
    set c(color,$channel) $color
    if {[winfo exists $window]} {
	$window itemconfigure ch$channel -fill $color
    }
    set button [channel_button $channel]
    if {[winfo exists $button]} {
	$button configure -background $color -activebackground $color
    }
}

#----------------------------------------------------------------------
# progressbar --
#
#	Progress report of a long engine computation (the engine calls it
#	by name): status from 0 to 1 shows the share done and message, a
#	negative status closes the window.  Pending events are processed,
#	so that "Cancel" can stop the computation.
#
# Results:
#	None.
#
# Side effects:
#	Creates, updates or destroys .progressbar; processes events.
#----------------------------------------------------------------------

proc progressbar {status message} {
    global c
    if {$status < 0} {
	destroy .progressbar
	if {[info exists c(refreshpending)] && $c(refreshpending)} {
	    set c(refreshpending) 0
	    after idle refresh
	}
	return
    }
    if {![winfo exists .progressbar]} {
	toplevel .progressbar
	wm title .progressbar "Processing..."
	label .progressbar.l -text "Processed "
	frame .progressbar.f -width 206 -height 26 -relief groove \
	    -background white -borderwidth 3
	pack propagate .progressbar.f 0
	frame .progressbar.f.bar -width 0 -height 20 -background blue
	pack .progressbar.f.bar -side left
	label .progressbar.m
	button .progressbar.cancel -text "Cancel" -command StopCalc
	foreach w {.progressbar.l .progressbar.f .progressbar.m .progressbar.cancel} {
	    pack $w -side top -padx 10 -pady 10
	}
	# Over the middle of the main window, where the user looks.
	update idletasks
	set x [expr {[winfo rootx .] + ([winfo width .] - [winfo reqwidth .progressbar]) / 2}]
	set y [expr {[winfo rooty .] + ([winfo height .] - [winfo reqheight .progressbar]) / 2}]
	keep_on_screen .progressbar $x $y
	focus .progressbar
    }
    if {[grab current .progressbar] ne ".progressbar"} {
	catch {grab set .progressbar}
    }
    .progressbar.l configure -text "Processed [expr {round($status * 100)}]%"
    .progressbar.f.bar configure -width [expr {round(200.0 * $status)}]
    .progressbar.m configure -text $message
    update
}

#----------------------------------------------------------------------
# help --
#
#	Opens the help page with the desktop's handler for it and waits
#	for the handler to return.
#
# Results:
#	None; an error when the handler cannot be started or fails.
#
# Side effects:
#	Runs xdg-open.
#----------------------------------------------------------------------

proc help {} {
    exec -ignorestderr xdg-open ../trendelapp/program_files/docs/help/index.htm
}

#----------------------------------------------------------------------
# about --
#
#	The About box: the program's name, version and purpose.
#
# Results:
#	None.
#
# Side effects:
#	Creates .about.
#----------------------------------------------------------------------

proc about {} {
    global trendel_version
    destroy .about
    toplevel .about
    wm title .about "About Trendel"
    wm transient .about .
    wm resizable .about 0 0
    label .about.name -text "Trendel" -font {{} 16 bold}
    label .about.version -text "Version $trendel_version"
    label .about.what -justify center -wraplength 320 -text \
	"Viewer for Orvela recordings: every channel over the whole file,\
	with zoomable time and value ranges, in engineering units."
    button .about.ok -text "OK" -width 8 -command {destroy .about}
    pack .about.name -side top -padx 20 -pady {15 5}
    pack .about.version -side top -padx 20
    pack .about.what -side top -padx 20 -pady 10
    pack .about.ok -side top -pady {0 15}
    bind .about <Return> {destroy .about}
    bind .about <Escape> {destroy .about}
    update idletasks
    set x [expr {[winfo rootx .] + ([winfo width .] - [winfo reqwidth .about]) / 2}]
    set y [expr {[winfo rooty .] + ([winfo height .] - [winfo reqheight .about]) / 2}]
    wm geometry .about +[expr {max(0, $x)}]+[expr {max(0, $y)}]
    focus .about.ok
}

# ----------------------------------------------------------------------
# Loading the script
# ----------------------------------------------------------------------

set useCmdLine 0
set c(cmdLineFile) ""
set_colors
if {[info exists argc] && $argc > 0} {
    set useCmdLine 1
    set c(cmdLineFile) [concat {*}$argv]
}
install_dummy
init
