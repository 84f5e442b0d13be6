# viewer_gui_bench.tcl --
#
#	Times the viewer on a recording, on an X display (bench/viewer_gui/run.sh
#	runs it under Xvfb), and prints each figure against its target:
#
#	- start to the first complete draw, without and with the min/max cache
#	  (FILE.bin's is FILE.mm): the wall clock before the program is started against the
#	  time stamp it writes once it has drawn (TRENDEL_TIMING);
#	- a full redraw of the four displays of the default layout, the
#	  channels split among them (the layout after a load) and all channels
#	  in each, timed inside the program with Tcl's time, drawing included
#	  (update idletasks);
#	- a scroll step, the ">" button invoked inside the program: the new
#	  time range, the engine's computation for it and the redraw.
#
#	Each figure is the best of several runs (the machine may be shared).
#
#	Usage: wish8.6 viewer_gui_bench.tcl TRENDEL RECORDING ?RUNS?
#	The program runs in the recording's folder, which must hold
#	"tctables.txt".

package require Tk
wm withdraw .
fconfigure stdout -buffering line

lassign $argv trendel recording runs
if {$runs eq ""} {
    set runs 3
}
set trendel [file normalize $trendel]
set recording [file normalize $recording]
set missed 0
# The min/max cache beside the recording: its name with the extension
# replaced by ".mm".
set cache [file rootname $recording].mm

# start --
#	Starts the viewer on the recording and waits for its time stamp of
#	the first draw.  Returns {channel microseconds-to-draw}.
proc start {} {
    global trendel recording env
    set env(TRENDEL_TIMING) 1
    set old [pwd]
    cd [file dirname $recording]
    set t0 [clock microseconds]
    set chan [open |[list $trendel $recording 2>@stderr] r]
    cd $old
    fconfigure $chan -blocking 0
    # The stamp is the program's own clock: polling adds nothing to it.
    set deadline [expr {[clock seconds] + 120}]
    while {[clock seconds] <= $deadline} {
	if {[gets $chan line] >= 0} {
	    if {[regexp {^trendel: drawn at (\d+)$} $line -> stamp]} {
		return [list $chan [expr {$stamp - $t0}]]
	    }
	} elseif {[eof $chan]} {
	    break
	} else {
	    after 5
	}
    }
    stop $chan
    error "the viewer ended or timed out before it drew $recording"
}

proc stop {chan} {
    foreach p [pid $chan] {
	catch {exec kill $p}
    }
    catch {close $chan}
}

# app chan --
#	The send name of the viewer on that channel.
proc app {chan} {
    set viewer [lindex [pid $chan] 0]
    for {set i 0} {$i < 200} {incr i} {
	foreach name [winfo interps] {
	    if {[string match trendel* $name] && ![catch {send $name pid} other]
		    && $other == $viewer} {
		return $name
	    }
	}
	after 50
    }
    error "the viewer does not answer send"
}

# best list --
#	Smallest value of a list.
proc best {values} {
    lindex [lsort -real $values] 0
}

proc report {what value unit target runs} {
    global missed
    set verdict ok
    if {$value > $target} {
	set verdict MISSED
	incr missed
    }
    puts [format "%-52s %8.1f %s  (target <= %s %s)  %s   runs: %s" \
	      $what $value $unit $target $unit $verdict $runs]
}

proc fmt {values scale} {
    set out {}
    foreach v $values {
	lappend out [format %.1f [expr {$v * $scale}]]
    }
    join $out " "
}

# Start-up without the cache (removed before every run), then with it.
set cold {}
for {set i 0} {$i < $runs} {incr i} {
    file delete $cache
    lassign [start] chan us
    stop $chan
    lappend cold $us
}
if {![file exists $cache]} {
    puts "note: the viewer wrote no min/max cache $cache"
}
set warm {}
for {set i 0} {$i < $runs} {incr i} {
    lassign [start] chan us
    if {$i < $runs - 1} {
	stop $chan
    }
    lappend warm $us
}
report "start to first draw, no cache" [expr {[best $cold] / 1000.0}] ms 1500 [fmt $cold 0.001]
report "start to first draw, with cache" [expr {[best $warm] / 1000.0}] ms 500 [fmt $warm 0.001]

# The last viewer stays up for the redraw and scroll figures.
set app [app $chan]
send $app {update}
lassign [send $app {
    list [llength $c(displays)] $c(numberOfChannels) [winfo width .] [winfo height .]
}] displays channels width height
puts "layout: $displays displays, $channels channels, window ${width}x$height"

# Redraw time of one batch, microseconds per redraw.
proc redraw_batch {app} {
    send $app {
	update
	lindex [time {redraw_all_displays; update idletasks} 10] 0
    }
}

set split {}
for {set i 0} {$i < $runs} {incr i} {
    lappend split [redraw_batch $app]
}
set per [send $app {
    set per {}
    foreach d $c(displays) {
	lappend per [llength $c(channels,$d)]
    }
    set per
}]
report "full redraw, channels split ($per)" [expr {[best $split] / 1000.0}] ms 50 [fmt $split 0.001]

send $app {
    set c(assign) all
    assign_channels
    redraw_all_displays
    update
}
set all {}
for {set i 0} {$i < $runs} {incr i} {
    lappend all [redraw_batch $app]
}
report "full redraw, all $channels channels in each display" [expr {[best $all] / 1000.0}] ms 50 \
    [fmt $all 0.001]
send $app {
    set c(assign) split
    assign_channels
    redraw_all_displays
    update
}

# Scroll steps from the start of the file: each one timed on its own;
# the figure is the mean of a run of steps, best run reported, with the
# slowest single step.
set steps 10
set means {}
set worst 0
for {set i 0} {$i < $runs} {incr i} {
    set times [send $app [string map [list STEPS $steps] {
	new_layout {{1 2} {3 4}}
	update
	set times {}
	for {set k 0} {$k < STEPS} {incr k} {
	    lappend times [lindex [time {.buttons.srs invoke; update idletasks}] 0]
	}
	set times
    }]]
    set sum 0
    foreach t $times {
	set sum [expr {$sum + $t}]
	if {$t > $worst} {
	    set worst $t
	}
    }
    lappend means [expr {$sum / double($steps)}]
}
report "scroll step \">\" (mean of $steps)" [expr {[best $means] / 1000.0}] ms 100 [fmt $means 0.001]
puts [format "slowest single scroll step: %.1f ms" [expr {$worst / 1000.0}]]

stop $chan
exit [expr {$missed > 0}]
