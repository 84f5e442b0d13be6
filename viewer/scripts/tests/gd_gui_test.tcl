# gd_gui_test.tcl --
#
#	GUI tests of the viewer's main script.  This driver starts the viewer
#	as a separate program on an X display (run it under run_xvfb.sh),
#	moves the mouse and presses keys with xdotool, and reads the
#	program's state back with Tk's send.
#
#	Usage: wish8.6 gd_gui_test.tcl -viewer fake|trendel -work DIR
#	           ?-trendel PATH? ?-writer PATH? ?-screenshots DIR?
#	           ?-match PATTERN?
#
#	-viewer fake runs the script in wish with the Tcl stand-in engine
#	(fake_trendel.tcl) on small "fake recordings"; -viewer trendel runs
#	the real program on recordings written by gd_recording (-writer).

package require Tk
package require tcltest 2
wm withdraw .
fconfigure stdout -buffering line

namespace eval gui {
    variable here [file dirname [file normalize [info script]]]
    variable viewer fake
    variable work /tmp
    variable trendel ""
    variable writer ""
    variable screenshots ""
    variable starts 0
    variable app ""
    variable pid ""
}

foreach {option value} $argv {
    switch -- $option {
	-viewer { set gui::viewer $value }
	-work { set gui::work $value }
	-trendel { set gui::trendel $value }
	-writer { set gui::writer $value }
	-screenshots { set gui::screenshots $value }
	-match { tcltest::configure -match $value }
	default { puts stderr "unknown option $option"; exit 2 }
    }
}
set gui::work [file normalize $gui::work]
foreach v {trendel writer} {
    if {[set gui::$v] ne ""} { set gui::$v [file normalize [set gui::$v]] }
}
file mkdir $gui::work
tcltest::configure -verbose {pass error}

# ----------------------------------------------------------------------
# Recordings
# ----------------------------------------------------------------------

# gui::recording name channels ?seconds? ?data? ?progress? --
#	Writes a recording with that many channels and returns its path.
#	A recording without data has no sample sets.
#	The real engine reports progress once per second of recording (one
#	scan), the stand-in progress times.
proc gui::recording {name channels {seconds 100} {data 1} {progress 0}} {
    variable viewer
    variable work
    variable writer
    if {$viewer eq "fake"} {
	set path [file join $work $name.fake]
	set f [open $path w]
	puts $f [list channels $channels seconds $seconds data $data progress $progress]
	close $f
	return $path
    }
    set path [file join $work $name.bin]
    if {![file exists $path]} {
	exec $writer $path $channels [expr {$data ? max($seconds, $progress) : 0}]
    }
    # The min/max cache of an earlier run would skip the statistics.
    file delete [file rootname $path].mm $path.mm
    return $path
}

# ----------------------------------------------------------------------
# The program under test
# ----------------------------------------------------------------------

# gui::start ?path? ?wait? --
#	Starts the viewer with path as its command line and waits until it
#	answers send (and, with a path and wait, until the file is drawn).
#	A program that has not registered with send after 15 s is ended and
#	started again: under load the X server's registry of send names has
#	been seen to lose a fresh entry.
proc gui::start {{path ""} {wait 1}} {
    variable app
    stop
    for {set attempt 1} {$attempt <= 3 && $app eq ""} {incr attempt} {
	launch $path
	if {$app eq ""} {
	    stop
	}
    }
    if {$app eq ""} {
	error "the viewer did not start (three attempts)"
    }
    if {$path ne "" && $wait} {
	wait_loaded 1
    } else {
	wait_for {[info exists ::c(fileloaded)] && [winfo exists .master.c]}
    }
    return $app
}

proc gui::launch {path} {
    variable viewer
    variable here
    variable trendel
    variable work
    variable app
    variable pid
    if {$viewer eq "fake"} {
	set command [list wish8.6 [file join $here fake_trendel.tcl]]
    } else {
	set command [list $trendel]
    }
    if {$path ne ""} {
	lappend command $path
    }
    # The viewer runs in work/run, so that its default data directory is
    # work/my_data.
    file mkdir [file join $work run] [file join $work my_data]
    # Listing the applications drops the entries of ended viewers from
    # the registry; a stale entry left there has been seen to keep the
    # next viewer from registering.
    catch {winfo interps}
    variable starts
    incr starts
    set old [pwd]
    cd [file join $work run]
    set pid [exec {*}$command >& [file join $work viewer-$starts.log] &]
    cd $old
    set app ""
    for {set i 0} {$i < 150 && $app eq ""} {incr i} {
	after 100
	# A name of an ended program may be taken again: the process id
	# tells which application is ours.
	foreach name [registered] {
	    if {![catch {send $name pid} other] && $other == $pid} {
		set app $name
		break
	    }
	}
    }
    if {$app eq ""} {
	catch {exec xprop -root InterpRegistry} registry
	puts stderr "the viewer (process $pid) has not registered with send: $registry"
    }
}

# gui::registered --
#	The send names of viewers that have completed their registration.
#	A program enters its name in the X server's registry before it marks
#	its own window with it; Tk's send and winfo interps take an entry
#	seen in between for a stale one and delete it, after which the
#	program cannot be reached.  So the registry is read with xprop, and
#	only names whose window already carries them are used.
proc gui::registered {} {
    if {[catch {exec xprop -root InterpRegistry} registry]} {
	return {}
    }
    set names {}
    foreach {- id name} [regexp -all -inline {"([0-9a-fA-F]+) (trendel[^"]*)"} $registry] {
	if {![catch {exec xprop -id 0x$id TK_APPLICATION} own]
		&& [regexp {= "(.*)"} $own - list] && $name in $list} {
	    lappend names $name
	}
    }
    return $names
}

# gui::stop --
#	Ends the running viewer, if any.
proc gui::stop {} {
    variable app
    variable pid
    if {$app ne ""} {
	catch {send -async $app exit}
	set app ""
    }
    if {$pid ne ""} {
	for {set i 0} {$i < 100} {incr i} {
	    if {[catch {exec kill -0 $pid}]} {
		break
	    }
	    after 50
	}
	catch {exec kill $pid}
	set pid ""
    }
}

# gui::app script --
#	Evaluates a script in the viewer and returns its result.
proc gui::app {script} {
    variable app
    send $app $script
}

# gui::wait_for condition --
#	Waits (at most 60 s) until an expression evaluated in the viewer is
#	true.
proc gui::wait_for {condition} {
    for {set i 0} {$i < 1200} {incr i} {
	if {![catch {app [list expr $condition]} ok] && $ok} {
	    return
	}
	after 50
    }
    error "timed out waiting for $condition"
}

proc gui::wait_loaded {serial} {
    wait_for "\[info exists ::load_serial\] && \$::load_serial >= $serial"
    sync
}

# gui::sync --
#	Lets the viewer handle every event sent to it so far, and waits until
#	a computation those events started has ended: while one runs, the
#	viewer answers send from inside its progress reports.
proc gui::sync {} {
    app {update; update idletasks}
    wait_for {![winfo exists .progressbar]}
}

# gui::log_calls names --
#	Wraps engine commands in the viewer so that every call is appended
#	to ::testlog; ::testfail names a command whose next call fails.
proc gui::log_calls {names} {
    foreach name $names {
	app [string map [list NAME $name] {
	    if {[llength [info commands ::orig_NAME]] == 0} {
		rename ::NAME ::orig_NAME
		proc ::NAME {args} {
		    lappend ::testlog [linsert $args 0 NAME]
		    if {[info exists ::testfail] && $::testfail eq "NAME"} {
			set ::testfail ""
			error "injected failure in NAME"
		    }
		    ::orig_NAME {*}$args
		}
	    }
	}]
    }
    app {set ::testlog {}}
}

proc gui::calls {name} {
    set result {}
    foreach call [app {set ::testlog}] {
	if {[lindex $call 0] eq $name} {
	    lappend result $call
	}
    }
    return $result
}

# ----------------------------------------------------------------------
# Real input through xdotool
# ----------------------------------------------------------------------

# gui::point w fx fy --
#	Screen position at fractions fx, fy of window w's width and height.
proc gui::point {w fx fy} {
    lassign [app "list \[winfo rootx $w\] \[winfo rooty $w\] \[winfo width $w\] \[winfo height $w\]"] \
	x y width height
    list [expr {$x + int($fx * $width)}] [expr {$y + int($fy * $height)}]
}

proc gui::xdo {args} {
    exec xdotool {*}$args
}

# gui::drag w fx1 fy1 fx2 fy2 --
#	Presses button 1 at one point of w, moves to the other in a few
#	steps and releases it there.
proc gui::drag {w fx1 fy1 fx2 fy2} {
    lassign [point $w $fx1 $fy1] x1 y1
    lassign [point $w $fx2 $fy2] x2 y2
    xdo mousemove $x1 $y1
    sync
    xdo mousedown 1
    sync
    for {set k 1} {$k <= 4} {incr k} {
	xdo mousemove [expr {$x1 + ($x2 - $x1) * $k / 4}] [expr {$y1 + ($y2 - $y1) * $k / 4}]
	sync
    }
    xdo mouseup 1
    sync
}

proc gui::click {w fx fy {button 1}} {
    lassign [point $w $fx $fy] x y
    xdo mousemove $x $y
    # Not sync: the click may be the one that ends a running computation.
    app update
    xdo click $button
    sync
}

# gui::key name --
#	A real key press in the viewer's main window.
proc gui::key {name} {
    app {focus -force .}
    sync
    xdo key $name
    sync
}

# gui::screenshot name --
#	Saves a PNG of the screen when screenshots are asked for.
proc gui::screenshot {name} {
    variable screenshots
    if {$screenshots eq ""} {
	return
    }
    file mkdir $screenshots
    app update
    after 200
    exec import -window root [file join $screenshots $name.png]
}

# ----------------------------------------------------------------------
# Helpers reading the viewer's state
# ----------------------------------------------------------------------

proc gui::channels {} {
    set result {}
    foreach d [app {set c(displays)}] {
	lappend result [app [list set c(channels,$d)]]
    }
    return $result
}

# Value range shown by a drawing area: {bottom top}.
proc gui::values {w} {
    app "list \$c(bottom,$w) \$c(top,$w)"
}

proc gui::seconds {t} {
    app [list time_seconds $t]
}

proc gui::range {} {
    list [seconds [app {set c(displayleft)}]] [seconds [app {set c(displayright)}]]
}

proc gui::near {a b {tolerance 0.02}} {
    expr {abs($a - $b) <= $tolerance}
}

# Geometry of the displays relative to the displays area: x, y, w, h.
proc gui::arrangement {} {
    app {
	set result {}
	foreach d $c(displays) {
	    set f [winfo parent $d]
	    lappend result [list [expr {[winfo rootx $f] - [winfo rootx .displays]}] \
				[expr {[winfo rooty $f] - [winfo rooty .displays]}] \
				[winfo width $f] [winfo height $f]]
	}
	set result
    }
}

# gui::cancel_file_dialog --
#	Waits for the open dialog and closes it with the Escape key.
proc gui::cancel_file_dialog {} {
    wait_for {[grab current] eq ".__tk_filedialog"}
    app {focus -force .__tk_filedialog}
    sync
    xdo key Escape
    wait_for {![winfo exists .__tk_filedialog] || ![winfo ismapped .__tk_filedialog]}
    sync
}

proc gui::bgerror_shown {} {
    app {winfo exists .bgerrorDialog}
}

proc gui::close_bgerror {} {
    set text [app {.bgerrorDialog.msg cget -text}]
    app {.bgerrorDialog.ok invoke}
    sync
    return $text
}

# ----------------------------------------------------------------------
# Tests: loading
# ----------------------------------------------------------------------

set rec10 [gui::recording ten 10]
set rec14 [gui::recording fourteen 14]
set rec15 [gui::recording fifteen 15]
set rec20 [gui::recording twenty 20]
set rec16 [gui::recording sixteen 16 200]

tcltest::test gd-1.1 {a load splits 10 channels 3, 3, 3, 1 over two rows of two} -setup {
    gui::start $rec10
} -body {
    list [gui::channels] [llength [lsort -unique [lmap g [gui::arrangement] {lindex $g 1}]]] \
	[gui::app {wm title .}] [gui::app {set c(fileloaded)}]
} -result [list {{1 2 3} {4 5 6} {7 8 9} 10} 2 "Trendel - $rec10" yes]

tcltest::test gd-1.2 {the display range after a load is the first hundredth of the file} -body {
    lassign [gui::range] left right
    set start [gui::seconds [gui::app {set c(masterleft)}]]
    set stop [gui::seconds [gui::app {set c(masterright)}]]
    list [gui::near $left $start] [gui::near [expr {$right - $left}] [expr {($stop - $start) / 100.0}]]
} -result {1 1}

tcltest::test gd-1.3 {channel colours cycle through fifteen entries} -body {
    gui::app {list $c(color,14) $c(color,15) $c(color,0) $c(color,1)}
} -result [list #08f #844 #844 #00f]

tcltest::test gd-1.4 {each display draws a trace per channel, the master all ten} -body {
    gui::app {
	set n {}
	foreach d [concat .master.c $c(displays)] {
	    set k 0
	    foreach ch $c(channels,$d) {
		if {[llength [$d find withtag ch$ch]] == 1} { incr k }
	    }
	    lappend n $k
	}
	set n
    }
} -result {10 3 3 3 1}

tcltest::test gd-1.5 {Reload reads the file again, resets the layout and the range} -setup {
    gui::app {new_layout {{1}}}
    gui::key Up
    gui::log_calls LoadFileStats
} -body {
    set serial [gui::app {set load_serial}]
    gui::app {after idle {.menu.file.m invoke Reload}}
    gui::wait_loaded [expr {$serial + 1}]
    lassign [gui::range] left right
    set start [gui::seconds [gui::app {set c(masterleft)}]]
    set stop [gui::seconds [gui::app {set c(masterright)}]]
    list [llength [gui::calls LoadFileStats]] [gui::channels] \
	[gui::near $left $start] [gui::near [expr {$right - $left}] [expr {($stop - $start) / 100.0}]]
} -result {1 {{1 2 3} {4 5 6} {7 8 9} 10} 1 1}

tcltest::test gd-1.6 {a file without data says so and still builds the window} -setup {
    set empty [gui::recording empty 4 0 0]
    gui::start $empty 0
} -body {
    # The box waits for its button once it holds the grab.
    gui::wait_for {[grab current] eq ".__tk__messagebox"}
    set text [gui::app {.__tk__messagebox.msg cget -text}]
    set title [gui::app {wm title .__tk__messagebox}]
    gui::screenshot no-data
    gui::app {after idle {.__tk__messagebox.ok invoke}}
    gui::wait_loaded 1
    list $text $title [llength [gui::app {set c(displays)}]] [gui::bgerror_shown]
} -result {{This file does not contain any data} {Trendel Message} 4 0}

tcltest::test gd-1.7 {without a command line: the dialog opens at ../my_data; Cancel leaves an empty window} -setup {
    gui::start ""
} -body {
    gui::wait_for {[grab current] eq ".__tk_filedialog"}
    set dir [gui::app {set ::tk::dialog::file::__tk_filedialog(selectPath)}]
    gui::cancel_file_dialog
    list [file tail $dir] [gui::app {wm title .}] [gui::app {set c(fileloaded)}] \
	[gui::app {winfo children .displays}]
} -result {my_data Trendel no {}}

tcltest::test gd-1.8 {with no file loaded: resizing, menus, keys and clicks raise no error} -body {
    gui::app {wm geometry . 800x600}
    gui::sync
    gui::app {wm geometry . 1014x710}
    gui::sync
    gui::app {.menu.window.m invoke "Choose Layout"}
    gui::app {.menu.window.m.assign invoke "Split"}
    gui::app {.menu.window.m.zoom invoke "Unlocked"}
    gui::app {.buttons.zout invoke; .buttons.refresh invoke; .buttons.enterleft invoke}
    gui::key Down
    gui::click .master.c 0.5 0.5
    gui::click .master.c 0.5 0.5 3
    list [gui::bgerror_shown] [gui::app {winfo exists .lo}] [gui::app {winfo exists .cc}] \
	[gui::app {set c(fileloaded)}] [gui::app {set c(zoom)}]
} -result {0 0 0 no Unlocked} -cleanup {
    gui::app {draw_mode "Y locked"}
}

tcltest::test gd-1.9 {a command-line path that names no file brings up the dialog} -setup {
    gui::start "\"$rec10\"" 0
} -body {
    gui::wait_for {[grab current] eq ".__tk_filedialog"}
    gui::app {set c(fileloaded)}
} -result no -cleanup {
    gui::stop
}

# ----------------------------------------------------------------------
# Tests: layouts and channel assignment
# ----------------------------------------------------------------------

tcltest::test gd-2.1 {"3 per display" with 14 channels draws 13 and 14 nowhere} -setup {
    gui::start $rec14
} -body {
    gui::app {.menu.window.m.assign invoke "3 per display"}
    gui::sync
    gui::channels
} -result {{1 2 3} {4 5 6} {7 8 9} {10 11 12}}

tcltest::test gd-2.2 {the assignment rules} -body {
    set result {}
    foreach {rule} {"Empty displays" "1 per display" "8 per display" "As master" "All" "Split"} {
	gui::app [list .menu.window.m.assign invoke $rule]
	lappend result [gui::channels]
    }
    set result
} -result [list {{} {} {} {}} {1 2 3 4} {{1 2 3 4 5 6 7 8} {9 10 11 12 13 14} {} {}} \
	       [lrepeat 4 {1 2 3 4 5 6 7 8 9 10 11 12 13 14}] \
	       [lrepeat 4 {1 2 3 4 5 6 7 8 9 10 11 12 13 14}] \
	       {{1 2 3 4} {5 6 7 8} {9 10 11 12} {13 14}}]

tcltest::test gd-2.3 {a display without channels shows the grid of the empty list's range} -body {
    gui::app {.menu.window.m.assign invoke "Empty displays"}
    gui::sync
    set d [lindex [gui::app {set c(displays)}] 0]
    set max [gui::app {GetMaxDisplayEU {}}]
    list [gui::near [gui::app [list set c(top,$d)]] $max 1e-9] \
	[expr {[llength [gui::app [list $d find withtag line]]] > 0}] \
	[llength [gui::app [list $d find withtag ch1]]]
} -result {1 1 0} -cleanup {
    gui::app {.menu.window.m.assign invoke "Split"}
}

tcltest::test gd-2.4 {the layout chooser: shape 14 gives five displays of two channels each} -setup {
    gui::start $rec10
} -body {
    gui::app {.menu.window.m invoke "Choose Layout"}
    gui::sync
    set previews [gui::app {winfo children .lo.col3}]
    gui::screenshot layout-chooser
    # Shape 14 is the second preview of the fourth column.
    gui::click .lo.col3.p14 0.5 0.5
    list [llength $previews] [gui::app {winfo exists .lo}] [gui::channels]
} -result {4 0 {{1 2} {3 4} {5 6} {7 8} {9 10}}}

tcltest::test gd-2.5 {shape 14: one display across the top, two columns of two below} -body {
    lassign [gui::arrangement] d1 d2 d3 d4 d5
    list [expr {[lindex $d1 2] > 2 * [lindex $d2 2] - 10}] \
	[expr {[lindex $d2 0] == [lindex $d3 0] && [lindex $d2 1] < [lindex $d3 1]}] \
	[expr {[lindex $d4 0] == [lindex $d5 0] && [lindex $d4 0] > [lindex $d2 0]}] \
	[expr {[lindex $d2 1] == [lindex $d4 1]}]
} -result {1 1 1 1}

tcltest::test gd-2.6 {shapes 7 and 13 give the same arrangement} -body {
    gui::app {new_layout {{1} {{2} {3}}}}
    set seven [gui::arrangement]
    gui::app {new_layout {{1} {2 3}}}
    set thirteen [gui::arrangement]
    list [llength $seven] [expr {$seven eq $thirteen}]
} -result {3 1}

tcltest::test gd-2.7 {every layout of the chooser builds and draws} -body {
    set counts {}
    foreach shape {{{1}} {{1} {2} {3} {4} {5} {6}} {{1} {{2} {3} {4}}} {{1 2 3} {4 5 6} {7 8 9}}
		   {{1 2} {{3 4} {5 6} {7 8}}}} {
	gui::app [list new_layout $shape]
	lappend counts [llength [gui::app {set c(displays)}]]
    }
    lappend counts [gui::bgerror_shown]
} -result {1 6 4 9 8 0}

# ----------------------------------------------------------------------
# Tests: navigation with the mouse and the keys
# ----------------------------------------------------------------------

proc gui::reset_view {} {
    app {new_layout {{1 2} {3 4}}; draw_mode "Y locked"}
    app {scroll_zoom zout; scroll_zoom zout; scroll_zoom srf}
    sync
}

tcltest::test gd-3.1 {"Y locked": a drag from 25 % to 50 % of a display selects that time range; values stay} -setup {
    gui::start $rec16
    gui::reset_view
    set d [lindex [gui::app {set c(displays)}] 1]
    lassign [gui::range] left right
    set span [expr {$right - $left}]
    set values [gui::values $d]
} -body {
    gui::drag $d 0.25 0.3 0.5 0.6
    lassign [gui::range] newleft newright
    gui::screenshot after-drag
    list [gui::near $newleft [expr {$left + 0.25 * $span}] [expr {$span / 100.0}]] \
	[gui::near $newright [expr {$left + 0.5 * $span}] [expr {$span / 100.0}]] \
	[expr {[gui::values $d] eq $values}] \
	[gui::app [list $d cget -background]] [gui::app [list $d coords rectangle]]
} -result {1 1 1 black {-2.0 -2.0 -2.0 -2.0}}

tcltest::test gd-3.2 {a click on a display centres the time span on the clicked time} -setup {
    gui::reset_view
    lassign [gui::range] left right
    set span [expr {$right - $left}]
    set d [lindex [gui::app {set c(displays)}] 0]
} -body {
    gui::click $d 0.75 0.5
    lassign [gui::range] newleft newright
    list [gui::near [expr {($newleft + $newright) / 2}] [expr {$left + 0.75 * $span}] [expr {$span / 50.0}]] \
	[gui::near [expr {$newright - $newleft}] $span [expr {$span / 50.0}]]
} -result {1 1}

tcltest::test gd-3.3 {"X locked": a drag changes one display's values, redraws only it, and computes no time range} -setup {
    gui::reset_view
    gui::app {draw_mode "X locked"}
    set displays [gui::app {set c(displays)}]
    set d [lindex $displays 2]
    set other [lindex $displays 0]
    set before [concat [gui::values $d] [gui::values $other]]
    set range [gui::app {list $c(displayleft) $c(displayright)}]
    gui::log_calls {CalculateTimeRange GetChannelData}
} -body {
    gui::drag $d 0.5 0.25 0.5 0.5
    lassign [concat [gui::values $d] [gui::values $other]] bottom top obottom otop
    lassign $before b0 t0 ob0 ot0
    set drawn [lsort -unique -integer [lmap call [gui::calls GetChannelData] {lindex $call 2}]]
    list [gui::near $top [expr {$b0 + ($t0 - $b0) * 0.75}] [expr {($t0 - $b0) / 50.0}]] \
	[gui::near $bottom [expr {$b0 + ($t0 - $b0) * 0.5}] [expr {($t0 - $b0) / 50.0}]] \
	[expr {[list $obottom $otop] eq [list $ob0 $ot0]}] \
	[llength [gui::calls CalculateTimeRange]] $drawn \
	[expr {[gui::app {list $c(displayleft) $c(displayright)}] eq $range}] \
	[expr {[gui::app [list set c(gainlog,$d)]] > 0.25}]
} -result {1 1 1 0 {9 10 11 12} 1 1} -cleanup {
    gui::app {draw_mode "Y locked"}
}

tcltest::test gd-3.4 {a click on the master centres the current span on the clicked time} -setup {
    gui::reset_view
    lassign [gui::range] left right
    set span [expr {$right - $left}]
    set start [gui::seconds [gui::app {set c(masterleft)}]]
    set stop [gui::seconds [gui::app {set c(masterright)}]]
} -body {
    gui::click .master.c 0.6 0.5
    lassign [gui::range] newleft newright
    set centre [expr {$start + 0.6 * ($stop - $start)}]
    list [gui::near [expr {($newleft + $newright) / 2}] $centre [expr {($stop - $start) / 100.0}]] \
	[gui::near [expr {$newright - $newleft}] $span [expr {$span / 50.0}]]
} -result {1 1}

tcltest::test gd-3.5 {"Unlocked": a drag on the master sets the time range and every display's values} -setup {
    gui::reset_view
    gui::app {draw_mode "Unlocked"}
    set start [gui::seconds [gui::app {set c(masterleft)}]]
    set stop [gui::seconds [gui::app {set c(masterright)}]]
} -body {
    gui::drag .master.c 0.2 0.25 0.4 0.5
    lassign [gui::range] left right
    set hi [gui::app {set c(hi,.master.c)}]
    set values {}
    foreach d [gui::app {set c(displays)}] {
	lappend values [gui::values $d]
    }
    set expected [list 0.0 [expr {$hi / 2.0}]]
    list [gui::near $left [expr {$start + 0.2 * ($stop - $start)}] 1.0] \
	[gui::near $right [expr {$start + 0.4 * ($stop - $start)}] 1.0] \
	[llength [lsort -unique $values]] \
	[gui::near [lindex $values 0 0] 0.0 [expr {$hi / 20}]] \
	[gui::near [lindex $values 0 1] [expr {$hi / 2.0}] [expr {$hi / 20}]]
} -result {1 1 1 1 1} -cleanup {
    gui::app {draw_mode "Y locked"}
}

tcltest::test gd-3.6 {"Zoom out" near the start keeps the doubled span from the file's start} -setup {
    gui::app {new_layout {{1 2} {3 4}}}
    lassign [gui::range] left right
    set span [expr {$right - $left}]
} -body {
    gui::click .buttons.zout 0.5 0.5
    lassign [gui::range] newleft newright
    list [gui::near $newleft [gui::seconds [gui::app {set c(masterleft)}]] 1e-6] \
	[gui::near [expr {$newright - $newleft}] [expr {2 * $span}] 1e-3]
} -result {1 1}

tcltest::test gd-3.7 {keys: Up zooms out, Down in, Prior a page later, Next a page earlier} -setup {
    gui::reset_view
} -body {
    set result {}
    foreach {k} {Up Down Prior Next Right Left} {
	lassign [gui::range] left right
	gui::key $k
	lassign [gui::range] newleft newright
	set span [expr {$right - $left}]
	lappend result [format %.2f [expr {($newright - $newleft) / $span}]] \
	    [format %.2f [expr {($newleft - $left) / $span}]]
    }
    set result
} -result {2.00 -0.50 0.50 0.25 1.00 1.00 1.00 -1.00 1.00 0.20 1.00 -0.20}

tcltest::test gd-3.8 {the scroll and zoom buttons} -setup {
    gui::reset_view
} -body {
    set result {}
    foreach b {srf srs sls slf zin zout} {
	lassign [gui::range] left right
	gui::app [list .buttons.$b invoke]
	lassign [gui::range] newleft newright
	set span [expr {$right - $left}]
	lappend result [format %.2f [expr {($newleft - $left) / $span}]] \
	    [format %.2f [expr {($newright - $newleft) / $span}]]
    }
    set result
} -result {1.00 1.00 0.20 1.00 -0.20 1.00 -1.00 1.00 0.25 0.50 -0.50 2.00}

tcltest::test gd-3.9 {the gain slider: less than 0.2 changes nothing, 0 to 1 shows a tenth around the centre} -setup {
    gui::reset_view
    set d [lindex [gui::app {set c(displays)}] 0]
    set s [gui::app [list winfo parent $d]].f.s
    set before [gui::values $d]
} -body {
    gui::app [list $s set 0.1]
    gui::sync
    set small [gui::values $d]
    gui::app [list $s set 1]
    gui::sync
    lassign [gui::values $d] bottom top
    set diff [gui::app [list set c(diff,$d)]]
    list [expr {$small eq $before}] [gui::near [expr {$top - $bottom}] [expr {$diff / 10}] 1e-9] \
	[gui::near [expr {$top + $bottom}] [expr {[lindex $before 0] + [lindex $before 1]}] 1e-9] \
	[gui::near [gui::app {set c(top,.master.c)}] $top 1e-9]
} -result {1 1 1 1}

tcltest::test gd-3.10 {the range history steps back and forward} -body {
    set d [lindex [gui::app {set c(displays)}] 0]
    gui::app [list new_xrange $d -1.0 1.0]
    gui::app [list new_xrange $d -2.0 2.0]
    gui::app [list undo_xrange $d]
    set back [gui::values $d]
    gui::app [list redo_xrange $d]
    set forward [gui::values $d]
    gui::app [list redo_xrange $d]
    list $back $forward [gui::values $d]
} -result {{-1.0 1.0} {-2.0 2.0} {-2.0 2.0}}

tcltest::test gd-3.11 {pointer motion fills the read-out row} -body {
    set d [lindex [gui::app {set c(displays)}] 0]
    lassign [gui::point $d 0.5 0.5] x y
    gui::xdo mousemove $x $y
    gui::sync
    lassign [gui::values $d] bottom top
    list [expr {[gui::app {set c(time)}] ne ""}] \
	[gui::near [gui::app {set c(volt)}] [expr {($bottom + $top) / 2}] [expr {($top - $bottom) / 20}]] \
	[llength [split [string trim [gui::app {.ch_list.t get 1.0 end}]] \n]]
} -result {1 1 4}

tcltest::test gd-3.12 {the zoom mode chooser selects a mode and shows its arrows} -body {
    gui::click .ch_list.c 0.5 0.5
    set shown [gui::app {winfo exists .ms}]
    gui::click .ms.xlocked 0.5 0.5
    list $shown [gui::app {winfo exists .ms}] [gui::app {set c(zoom)}] \
	[llength [gui::app {.ch_list.c find withtag arrows}]]
} -result {1 0 {X locked} 1} -cleanup {
    gui::app {draw_mode "Y locked"}
}

tcltest::test gd-3.13 {an engine error inside a binding goes to the background-error dialog; the program goes on} -setup {
    gui::log_calls CalculateTimeRange
} -body {
    lassign [gui::range] left right
    gui::app {set ::testfail CalculateTimeRange}
    gui::key Up
    gui::wait_for {[winfo exists .bgerrorDialog]}
    set text [gui::close_bgerror]
    # The engine kept its range; zooming in halves it.
    gui::key Down
    lassign [gui::range] newleft newright
    list [string match "*injected failure in CalculateTimeRange*" $text] \
	[gui::near [expr {$newright - $newleft}] [expr {($right - $left) / 2}] 1e-3] \
	[gui::bgerror_shown]
} -result {1 1 0}

# ----------------------------------------------------------------------
# Tests: dialogs
# ----------------------------------------------------------------------

tcltest::test gd-4.1 {channel chooser with 15 channels: one column, the Select buttons stacked} -setup {
    gui::start $rec15
} -body {
    gui::click .master.c 0.5 0.5 3
    gui::wait_for {[winfo exists .cc]}
    gui::sync
    gui::screenshot channel-chooser-15
    list [gui::app {llength [winfo children .cc.col0]}] [gui::app {llength [winfo children .cc.col1]}] \
	[gui::app {expr {[winfo y .cc.select.none] > [winfo y .cc.select.all]}}] \
	[gui::app {wm title .cc}]
} -result {15 0 1 {Choose Channels}}

tcltest::test gd-4.2 {unticking every channel of the master and "Ok" empties its list} -body {
    gui::app {.cc.select.none invoke}
    set traces [gui::app {llength [.master.c find withtag ch1]}]
    gui::app {.cc.ok.ok invoke}
    gui::sync
    list $traces [gui::app {set c(channels,.master.c)}] \
	[gui::near [gui::app {set c(hi,.master.c)}] [gui::app {GetMaxDisplayEU {}}] 1e-9] \
	[gui::app {winfo exists .cc}] [gui::bgerror_shown]
} -result {0 {} 1 0 0}

tcltest::test gd-4.3 {channel chooser with 20 channels: two columns, the Select buttons side by side} -setup {
    gui::start $rec20
} -body {
    set d [lindex [gui::app {set c(displays)}] 0]
    gui::click $d 0.5 0.5 3
    gui::wait_for {[winfo exists .cc]}
    gui::sync
    gui::screenshot channel-chooser-20
    list [gui::app {llength [winfo children .cc.col0]}] [gui::app {llength [winfo children .cc.col1]}] \
	[gui::app {expr {[winfo y .cc.select.none] == [winfo y .cc.select.all]}}] \
	[gui::app {set in(1)}] [gui::app {set in(6)}]
} -result {16 4 1 1 0}

tcltest::test gd-4.4 {ticking a channel draws it at once; "Ok" keeps it; "Cancel" restores} -body {
    set d [lindex [gui::app {set c(displays)}] 0]
    gui::app {.cc.col0.r12.check invoke}
    set drawn [gui::app "llength \[$d find withtag ch12\]"]
    gui::app {.cc.ok.ok invoke}
    set kept [gui::app [list set c(channels,$d)]]
    gui::click $d 0.5 0.5 3
    gui::wait_for {[winfo exists .cc]}
    gui::app {.cc.col0.r1.check invoke}
    gui::app {.cc.ok.cancel invoke}
    list $drawn $kept [gui::app [list set c(channels,$d)]] [gui::app "llength \[$d find withtag ch1\]"]
} -result {1 {1 2 3 4 5 12} {1 2 3 4 5 12} 1}

tcltest::test gd-4.5 {a chosen colour recolours the trace and the chooser's button} -body {
    set d [lindex [gui::app {set c(displays)}] 0]
    gui::click $d 0.5 0.5 3
    gui::wait_for {[winfo exists .cc]}
    gui::app {after 300 {set ::tk::Priv(selectColor) #123456; destroy .cc.__tk__color}}
    gui::app {after 200 {catch {.cc.__tk__color.bot.ok invoke}}}
    gui::app {.cc.col0.r12.color invoke}
    gui::sync
    list [gui::app {set c(color,12)}] [gui::app [list $d itemcget ch12 -fill]] \
	[gui::app {.cc.col0.r12.color cget -background}] [gui::bgerror_shown]
} -result [list #123456 #123456 #123456 0] -cleanup {
    catch {gui::app {destroy .cc}}
}

tcltest::test gd-4.10 {a chooser opened near the screen's bottom-right corner stays on the screen} -body {
    gui::app {choose_channels .master.c [expr {[winfo screenwidth .] - 5}] [expr {[winfo screenheight .] - 5}]}
    gui::sync
    gui::app {
	update
	list [expr {[winfo rootx .cc] >= 0 && [winfo rootx .cc] + [winfo width .cc] <= [winfo screenwidth .]}] \
	    [expr {[winfo rooty .cc] >= 0 && [winfo rooty .cc] + [winfo height .cc] <= [winfo screenheight .]}]
    }
} -result {1 1} -cleanup {
    catch {gui::app {destroy .cc}}
}

tcltest::test gd-4.6 {progress window: 0.5 shows 50 % and a 100-pixel bar; -1 closes it} -body {
    gui::app {progressbar 0.5 "12 of 24"}
    gui::app update
    gui::screenshot progress
    set shown [gui::app {list [wm title .progressbar] [.progressbar.l cget -text] \
			     [winfo width .progressbar.f.bar] [.progressbar.m cget -text] \
			     [grab current .progressbar]}]
    gui::app {progressbar -1 ""}
    list $shown [gui::app {winfo exists .progressbar}]
} -result {{Processing... {Processed 50%} 100 {12 of 24} .progressbar} 0}

tcltest::test gd-4.7 {the About box names the program and closes with OK} -body {
    gui::app {.menu.help.m invoke About}
    gui::sync
    gui::screenshot about
    set text [gui::app {list [.about.name cget -text] [.about.version cget -text]}]
    gui::app {.about.ok invoke}
    list $text [gui::app {winfo exists .about}]
} -match glob -result {{Trendel {Version *}} 0}

tcltest::test gd-4.8 {a long computation shows the progress window and answers meanwhile; Cancel stops it} -setup {
    set big [gui::recording big 16 600 1 600]
    gui::start ""
    gui::cancel_file_dialog
    gui::log_calls StopCalc
    # Each report waits a little, so that the computation lasts long
    # enough for a click on "Cancel".
    gui::app {
	set ::reports 0
	rename progressbar orig_progressbar
	proc progressbar {status message} {
	    if {$status >= 0} {
		incr ::reports
		after 10
	    }
	    orig_progressbar $status $message
	}
    }
    gui::app [list set c(cmdLineFile) $big]
    gui::app {set useCmdLine 1; after idle do_open}
} -body {
    gui::wait_for {[winfo exists .progressbar.cancel] && [winfo ismapped .progressbar.cancel]
	&& $::reports > 5}
    gui::screenshot loading
    set shown [gui::app {list [wm title .progressbar] [.progressbar.l cget -text] [grab current]}]
    gui::click .progressbar.cancel 0.5 0.5
    gui::wait_loaded 1
    list [lindex $shown 0] [string match "Processed *%" [lindex $shown 1]] [lindex $shown 2] \
	[llength [gui::calls StopCalc]] [expr {[gui::app {set ::reports}] < 300}] \
	[gui::app {winfo exists .progressbar}] [gui::app {set c(fileloaded)}] [gui::bgerror_shown]
} -result {Processing... 1 .progressbar 1 1 0 yes 0}

tcltest::test gd-4.9 {Help hands the page to xdg-open; a failure to start it reaches the error dialog} -setup {
    gui::start $rec10
} -body {
    gui::app {set ::env(PATH) /nonexistent}
    gui::app {after idle {.menu.help.m invoke Help}}
    gui::wait_for {[winfo exists .bgerrorDialog]}
    string match "*xdg-open*" [gui::close_bgerror]
} -result 1

gui::screenshot main-window
gui::stop
set failed $tcltest::numTests(Failed)
tcltest::cleanupTests
exit [expr {$failed > 0}]
