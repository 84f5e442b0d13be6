# fake_engine.tcl --
#
#	Test fixture: a stand-in for the viewer's engine commands, written in
#	Tcl, so that the main script can be tried in a plain wish.  A "fake
#	recording" is a text file holding a Tcl dict:
#
#	    channels N      channel count
#	    seconds S       length of the recording in seconds (default 100)
#	    period P        clock period in seconds (default 0.01)
#	    start T         time of day of the first line in seconds (default 0)
#	    data 0|1        whether the statistics hold data (default 1)
#	    maxeu E         GetMaxEU answers E + 1 (default 10)
#	    progress K      CalculateTimeRange over the whole file reports
#	                    progress K times (default 0)
#
#	Every engine call is logged in fake::calls as a list {name args...};
#	fake::fail names a command that raises an error on its next call.

namespace eval fake {
    variable calls {}
    variable fail ""
    variable loaded 0
    variable full 0
    variable analyzing 0
    variable stopped 0
    variable rec
    variable starttime 0.0
    variable endtime 0.0
}

proc fake::log {args} {
    variable calls
    lappend calls $args
    variable fail
    if {$fail ne "" && $fail eq [lindex $args 0]} {
	set fail ""
	return -code error "fake engine failure in [lindex $args 0]"
    }
}

proc fake::calls_of {name} {
    variable calls
    set result {}
    foreach call $calls {
	if {[lindex $call 0] eq $name} {
	    lappend result $call
	}
    }
    return $result
}

proc fake::format_time {t} {
    set days [expr {int($t / 86400)}]
    set rest [expr {$t - $days * 86400.0}]
    set hours [expr {int($rest / 3600)}]
    set rest [expr {$rest - $hours * 3600.0}]
    set minutes [expr {int($rest / 60)}]
    set seconds [expr {$rest - $minutes * 60.0}]
    format "%d:%02d:%02d:%f" $days $hours $minutes $seconds
}

proc fake::parse_time {text} {
    set fields [split $text :]
    if {[llength $fields] != 4} {
	return 0.0
    }
    lassign $fields d h m s
    foreach v [list $d $h $m $s] {
	if {![string is double -strict $v]} {
	    return 0.0
	}
    }
    expr {86400.0 * $d + 3600.0 * $h + 60.0 * $m + $s}
}

proc fake::startsec {} {
    variable rec
    dict get $rec start
}

proc fake::endsec {} {
    variable rec
    expr {[dict get $rec start] + [dict get $rec seconds]}
}

proc fake::percent_time {full fraction} {
    variable starttime
    variable endtime
    if {$full} {
	expr {[startsec] + ([endsec] - [startsec]) * $fraction}
    } else {
	expr {$starttime + ($endtime - $starttime) * $fraction}
    }
}

proc fake::need_file {} {
    variable loaded
    if {!$loaded} {
	return -code error "No File Loaded"
    }
}

proc LoadFileStats {args} {
    fake::log LoadFileStats {*}$args
    if {[llength $args] < 1} {
	return -code error "wrong # of args: LoadFileStats"
    }
    set path [lindex $args 0]
    if {[catch {open $path} f]} {
	return -code error "File $path Not Found"
    }
    set text [read $f]
    close $f
    set fake::rec [dict merge {channels 16 seconds 100 period 0.01 start 0
	data 1 maxeu 10 progress 0} $text]
    set fake::loaded 1
    set fake::full 0
    return [dict get $fake::rec channels]
}

proc GetChannelName {ch} {
    fake::log GetChannelName $ch
    if {![string is integer -strict $ch] || $ch < 1
	    || !$fake::loaded || $ch > [dict get $fake::rec channels]} {
	return -code error "$ch is an invalid channel number"
    }
    return "Channel $ch (V)"
}

proc IsValidPercentRange {full from to} {
    fake::log IsValidPercentRange $full $from $to
    fake::need_file
    set t1 [fake::percent_time $full $from]
    set t2 [fake::percent_time $full $to]
    expr {$t2 - $t1 >= [dict get $fake::rec period] ? 1 : 0}
}

proc GetPercentTime {full from args} {
    fake::log GetPercentTime $full $from {*}$args
    fake::need_file
    if {[llength $args] == 0} {
	return [fake::format_time [fake::percent_time $full $from]]
    }
    set a [fake::percent_time $full $from]
    set b [fake::percent_time $full [lindex $args 0]]
    set w [expr {$b - $a}]
    if {$w < [dict get $fake::rec period]} {
	if {$full} {
	    set a [fake::startsec]
	    set b [fake::endsec]
	} else {
	    set a $fake::starttime
	    set b $fake::endtime
	}
    } else {
	set span [expr {[fake::endsec] - [fake::startsec]}]
	if {$w > $span} {
	    set w $span
	}
	if {$a < [fake::startsec]} {
	    set a [fake::startsec]
	    set b [expr {$a + $w}]
	} elseif {$b > [fake::endsec]} {
	    set b [fake::endsec]
	    set a [expr {$b - $w}]
	}
    }
    return "[fake::format_time $a] [fake::format_time $b]"
}

proc GetFraction {time} {
    fake::log GetFraction $time
    fake::need_file
    set t [fake::parse_time $time]
    set s [fake::startsec]
    set e [fake::endsec]
    if {($t < $s || $t > $e) && [format %f $t] ne [format %f $s]
	    && [format %f $t] ne [format %f $e]} {
	return -code error "Time $time is not within file range"
    }
    if {$e <= $s} {
	return 0.000000
    }
    format %f [expr {($t - $s) / ($e - $s)}]
}

proc StopCalc {args} {
    fake::log StopCalc
    set fake::analyzing 0
    set fake::stopped 1
    return ""
}

proc GetPixelOffsetTime {time offset} {
    fake::log GetPixelOffsetTime $time $offset
    fake::need_file
    set t [expr {[fake::parse_time $time] + $offset * [dict get $fake::rec period]}]
    set t [expr {max([fake::startsec], min([fake::endsec], $t))}]
    fake::format_time $t
}

proc GetYVoltage {fraction ch} {
    fake::log GetYVoltage $fraction $ch
    fake::need_file
    format %f [expr {$fraction * 20.0 - 10.0}]
}

proc GetMaxEU {args} {
    fake::log GetMaxEU
    if {!$fake::loaded} {
	return 11.000000
    }
    format %f [expr {[dict get $fake::rec maxeu] + 1.0}]
}

# Channel i reaches i volts, so that display ranges depend on the list.
proc GetMaxDisplayEU {channels args} {
    fake::log GetMaxDisplayEU $channels
    set m ""
    foreach ch $channels {
	if {![string is integer -strict $ch] || $ch < 1
		|| $ch > [dict get $fake::rec channels]} {
	    return -code error "$ch is an invalid channel number"
	}
	if {$m eq "" || $ch > $m} {
	    set m $ch
	}
    }
    if {$m eq ""} {
	set m 10.0
    }
    format %f [expr {$m + 1.0}]
}

proc CalculateTimeRange {start end args} {
    fake::log CalculateTimeRange $start $end {*}$args
    fake::need_file
    if {!$fake::full} {
	set fake::analyzing 1
	set fake::stopped 0
	set k [dict get $fake::rec progress]
	for {set i 1} {$i <= $k && $fake::analyzing} {incr i} {
	    after 20
	    progressbar [expr {double($i) / $k}] "$i of $k"
	}
	if {$k > 0} {
	    progressbar -1 ""
	}
	set fake::analyzing 0
	set fake::full 1
    }
    set t1 [expr {max([fake::parse_time $start], [fake::startsec])}]
    set t2 [expr {min([fake::parse_time $end], [fake::endsec])}]
    set fake::starttime $t1
    set fake::endtime $t2
    return ""
}

proc IsDataPresent {args} {
    fake::log IsDataPresent
    expr {$fake::loaded && $fake::full && [dict get $fake::rec data] ? 1 : 0}
}

# A sine wave per channel of amplitude ch volts, sampled once per pixel
# column as a minimum and a maximum point.
proc GetChannelData {full ch width height args} {
    fake::log GetChannelData $full $ch $width $height {*}$args
    fake::need_file
    if {!$fake::full} {
	return -code error "No Data Present: LoadFileStats() OR CalculateTimeRange() has not been called"
    }
    if {![dict get $fake::rec data]} {
	return ""
    }
    if {[llength $args] == 2} {
	lassign $args bottom top
    } else {
	set top [expr {[dict get $fake::rec maxeu] + 1.0}]
	set bottom [expr {-$top}]
    }
    set ydiff [expr {$top - $bottom}]
    set points {}
    for {set x 0} {$x < $width} {incr x} {
	set t [fake::percent_time $full [expr {double($x) / $width}]]
	foreach d {-0.05 0.05} {
	    set v [expr {$ch * sin(($t + $d) * 0.5 + $ch)}]
	    lappend points $x [expr {$height - int($height * ($v - $bottom) / $ydiff)}]
	}
    }
    return $points
}

proc UseChannelMapping {on} {
    fake::log UseChannelMapping $on
    return ""
}

proc ExportTo {path mode} {
    fake::log ExportTo $path $mode
    return ""
}
