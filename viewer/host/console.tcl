# Interactive console that any script may open:
#     source builtin:/console.tcl
#     console:create .con "% " "Trendel Console"
# Commands typed on the input line are evaluated at global level; output of
# puts to stdout (tag ok) and stderr (tag err) appears in the window.

# Creates the top-level window w (destroying an earlier one and its state)
# with a File and an Edit menu, then fills it with console:create_child.
proc console:create {w prompt title} {
    upvar #0 $w.t v
    if {[winfo exists $w]} {destroy $w}
    if {[info exists v]} {unset v}
    toplevel $w
    wm title $w $title
    wm iconname $w $title
    frame $w.mb -bd 2 -relief raised
    pack $w.mb -side top -fill x
    menubutton $w.mb.file -text File -underline 0 -menu $w.mb.file.m
    pack $w.mb.file -side left -padx 5
    set m [menu $w.mb.file.m -tearoff 0]
    $m add command -label Close -underline 0 -command [list destroy $w]
    $m add command -label Exit -underline 1 -command exit
    menubutton $w.mb.edit -text Edit -underline 0 -menu $w.mb.edit.m
    pack $w.mb.edit -side left -padx 5
    menu $w.mb.edit.m -tearoff 0
    console:create_child $w $prompt $w.mb.edit.m
}

# Fills w with the scroll bar and the console text w.t, fills editmenu (when
# given) and routes puts into the console.
proc console:create_child {w prompt editmenu} {
    upvar #0 $w.t v
    if {$editmenu ne ""} {
        $editmenu add command -label Cut -underline 2 -command [list console:Cut $w.t]
        $editmenu add command -label Copy -underline 0 -command [list console:Copy $w.t]
        $editmenu add command -label Paste -underline 0 -command [list console:Paste $w.t]
        $editmenu add command -label {Clear Screen} -underline 0 -command [list console:Clear $w.t]
        $editmenu add separator
        $editmenu add command -label Source... -underline 0 -command [list console:SourceFile $w.t]
        $editmenu add command -label {Save As...} -underline 0 -command [list console:SaveFile $w.t]
        $editmenu configure -postcommand [list console:EnableEditMenu $w]
    }
    scrollbar $w.sb -orient vertical -command [list $w.t yview]
    pack $w.sb -side right -fill y
    text $w.t -font fixed -yscrollcommand [list $w.sb set]
    pack $w.t -side right -fill both -expand 1
    bindtags $w.t Console
    set v(editmenu) $editmenu
    set v(text) $w.t
    set v(history) {}
    set v(historycnt) 0
    set v(current) -1
    set v(prompt) $prompt
    set v(prior) {}
    set v(plength) [string length $prompt]
    set v(x) 0
    set v(y) 0
    $w.t mark set insert end
    $w.t tag config ok -foreground blue
    $w.t tag config err -foreground red
    # "out" stays at the start of the prompt line; output goes in there.
    $w.t insert end $prompt
    $w.t mark set out 1.0
    $w.t mark gravity out right
    if {[info command console:oldputs$w] eq ""} {
        rename puts console:oldputs$w
    }
    proc puts args [format {
        if {![winfo exists %s]} {
            rename puts {}
            rename console:oldputs%s puts
            return [uplevel 1 puts $args]
        }
        switch -glob -- "[llength $args] $args" {
            {1 *} {
                set msg "[lindex $args 0]\n"
                set tag ok
            }
            {2 -nonewline *} {
                set msg [lindex $args 1]
                set tag ok
            }
            {2 stdout *} {
                set msg "[lindex $args 1]\n"
                set tag ok
            }
            {2 stderr *} {
                set msg "[lindex $args 1]\n"
                set tag err
            }
            {3 -nonewline stdout *} {
                set msg [lindex $args 2]
                set tag ok
            }
            {3 -nonewline stderr *} {
                set msg [lindex $args 2]
                set tag err
            }
            default {
                uplevel 1 console:oldputs%s $args
                return
            }
        }
        console:Puts %s $msg $tag
    } $w $w $w $w.t]
    after idle [list focus $w.t]
    return
}

# Inserts text with tag at the "out" mark, ahead of the input line.
proc console:Puts {w text tag} {
    $w insert out $text $tag
    $w yview insert
}

# Index of the first character of the input line (after the prompt).
proc console:InputStart {w} {
    upvar #0 $w v
    return [$w index "out + $v(plength) chars"]
}

# Starts a fresh last line; "out" marks its start, where output goes.
proc console:NewLine {w} {
    $w insert end \n
    $w mark set out "end - 1 chars"
}

# Puts the prompt on the (empty) last line.
proc console:Prompt {w prompt} {
    upvar #0 $w v
    $w insert out $prompt
    $w mark set out "end - 1 chars linestart"
    set v(plength) [string length $prompt]
    $w mark set insert end
    $w see insert
}

# Inserts typed text at the cursor, which stays on the input line.
proc console:Insert {w text} {
    if {$text eq ""} return
    if {[$w compare insert < [console:InputStart $w]]} {
        $w mark set insert end
    }
    $w insert insert $text
    $w see insert
}

# Submits the input line: it joins the history (unless it repeats the last
# entry) and, once the collected command is complete, runs at global level.
proc console:Enter {w} {
    upvar #0 $w v
    set line [$w get [console:InputStart $w] "end - 1 chars"]
    $w mark set insert end
    if {$line ne [lindex $v(history) end]} {
        lappend v(history) $line
        incr v(historycnt)
    }
    set v(current) $v(historycnt)
    if {$v(prior) eq ""} {
        set cmd $line
    } else {
        set cmd "$v(prior)\n$line"
    }
    console:NewLine $w
    if {[info complete $cmd]} {
        set v(prior) {}
        set code [catch {uplevel #0 $cmd} result]
        if {$code == 1} {
            $w insert out $result\n err
        } elseif {$result ne ""} {
            $w insert out $result\n ok
        }
        console:Prompt $w $v(prompt)
    } else {
        set v(prior) $cmd
        regsub -all {[^ ]} $v(prompt) . cont
        console:Prompt $w $cont
    }
}

# Replaces the input line with history entry number n.
proc console:Recall {w step} {
    upvar #0 $w v
    set n [expr {$v(current) + $step}]
    if {$n < 0 || $n > $v(historycnt)} return
    set v(current) $n
    $w delete [console:InputStart $w] end
    $w insert end [lindex $v(history) $n]
    $w mark set insert end
}

# Moves the cursor by offset characters, never into the prompt.
proc console:Move {w offset} {
    set target [$w index "insert + $offset chars"]
    if {[$w compare $target < [console:InputStart $w]]} return
    $w mark set insert $target
}

# Deletes one character before (-1) or at (0) the cursor, never in the prompt.
proc console:Delete {w where} {
    if {[$w tag nextrange sel 1.0 end] ne "" && [console:SelectionOnInput $w]} {
        $w delete sel.first sel.last
        return
    }
    set index [$w index "insert + $where chars"]
    if {[$w compare $index < [console:InputStart $w]]} return
    $w delete $index
}

# Whether the selection lies wholly on the input line.
proc console:SelectionOnInput {w} {
    if {[$w tag nextrange sel 1.0 end] eq ""} {return 0}
    return [$w compare sel.first >= [console:InputStart $w]]
}

proc console:EnableEditMenu {w} {
    upvar #0 $w.t v
    set m $v(editmenu)
    set t $w.t
    if {[$t tag nextrange sel 1.0 end] eq ""} {
        $m entryconfigure Copy -state disabled
        $m entryconfigure Cut -state disabled
    } else {
        $m entryconfigure Copy -state normal
        if {[console:SelectionOnInput $t]} {
            $m entryconfigure Cut -state normal
        } else {
            $m entryconfigure Cut -state disabled
        }
    }
}

proc console:Copy {w} {
    if {[$w tag nextrange sel 1.0 end] eq ""} return
    clipboard clear -displayof $w
    clipboard append -displayof $w [$w get sel.first sel.last]
}

proc console:Cut {w} {
    if {![console:SelectionOnInput $w]} return
    console:Copy $w
    $w delete sel.first sel.last
}

# Pastes the clipboard; every line but the last is submitted.
proc console:Paste {w} {
    if {[catch {clipboard get -displayof $w} text]} return
    set lines [split $text \n]
    foreach line [lrange $lines 0 end-1] {
        console:Insert $w $line
        console:Enter $w
    }
    console:Insert $w [lindex $lines end]
}

proc console:Clear {w} {
    upvar #0 $w v
    set line [$w get [console:InputStart $w] "end - 1 chars"]
    $w delete 1.0 end
    $w insert end $v(prompt)$line
    $w mark set out 1.0
    set v(plength) [string length $v(prompt)]
    $w mark set insert end
}

proc console:SourceFile {w} {
    set types {{{TCL Scripts} {.tcl}} {{All Files} *}}
    set file [tk_getOpenFile -title {TCL Script To Source...} -filetypes $types -parent $w]
    if {$file ne ""} {
        uplevel #0 [list source $file]
    }
}

# Writes the whole text, trailing line breaks replaced by one.
proc console:SaveFile {w} {
    set types {{{Text Files} {.txt}} {{All Files} *}}
    set file [tk_getSaveFile -title {Write Screen To...} -filetypes $types -parent $w]
    if {$file eq ""} return
    if {[catch {open $file w} f]} {
        tk_messageBox -type ok -icon error -message $f -parent $w
        return
    }
    puts -nonewline $f "[string trimright [$w get 1.0 end] \n]\n"
    close $f
}

# Button 1 starts a selection; a drag counts once the pointer crossed to
# another character boundary or moved 3 pixels; outside the widget the text
# scrolls every 50 ms and the selection follows.
proc console:B1Press {w x y} {
    upvar #0 $w v
    set v(x) $x
    set v(y) $y
    set v(dragging) 0
    set v(anchor) [$w index @$x,$y]
    $w tag remove sel 1.0 end
    $w mark set insert @$x,$y
    focus $w
}

proc console:B1Motion {w x y} {
    upvar #0 $w v
    if {![info exists v(anchor)]} return
    set here [$w index @$x,$y]
    if {!$v(dragging) && $here eq $v(anchor) && abs($x - $v(x)) < 3} return
    set v(dragging) 1
    $w tag remove sel 1.0 end
    if {[$w compare $here < $v(anchor)]} {
        $w tag add sel $here $v(anchor)
    } else {
        $w tag add sel $v(anchor) $here
    }
    set v(lastx) $x
    set v(lasty) $y
    if {$y < 0 || $y > [winfo height $w]} {
        if {![info exists v(scroll)]} {console:AutoScroll $w}
    }
}

proc console:AutoScroll {w} {
    upvar #0 $w v
    if {![winfo exists $w] || ![info exists v(lasty)]} return
    if {$v(lasty) < 0} {
        $w yview scroll -1 units
    } elseif {$v(lasty) > [winfo height $w]} {
        $w yview scroll 1 units
    } else {
        unset -nocomplain v(scroll)
        return
    }
    console:B1Motion $w $v(lastx) $v(lasty)
    set v(scroll) [after 50 [list console:AutoScroll $w]]
}

proc console:B1Release {w} {
    upvar #0 $w v
    if {[info exists v(scroll)]} {
        after cancel $v(scroll)
        unset v(scroll)
    }
    unset -nocomplain v(anchor) v(lasty)
    if {[console:SelectionOnInput $w] || [$w tag nextrange sel 1.0 end] eq ""} {
        $w mark set insert end
    }
}

# Inserts a typed character; control characters insert nothing.
proc console:Key {w char} {
    if {[string is print -strict $char]} {console:Insert $w $char}
}

bind Console <KeyPress> {console:Key %W %A}
bind Console <space> {console:Insert %W " "}
bind Console <Left> {console:Move %W -1}
bind Console <Control-b> {console:Move %W -1}
bind Console <Right> {console:Move %W 1}
bind Console <Control-f> {console:Move %W 1}
bind Console <BackSpace> {console:Delete %W -1}
bind Console <Control-h> {console:Delete %W -1}
bind Console <Delete> {console:Delete %W 0}
bind Console <Control-d> {console:Delete %W 0}
bind Console <Home> {%W mark set insert [console:InputStart %W]}
bind Console <Control-a> {%W mark set insert [console:InputStart %W]}
bind Console <End> {%W mark set insert {insert lineend}}
bind Console <Control-e> {%W mark set insert {insert lineend}}
bind Console <Return> {console:Enter %W; break}
bind Console <KP_Enter> {console:Enter %W; break}
bind Console <Up> {console:Recall %W -1}
bind Console <Control-p> {console:Recall %W -1}
bind Console <Down> {console:Recall %W 1}
bind Console <Control-n> {console:Recall %W 1}
bind Console <Control-k> {
    if {[%W compare insert >= [console:InputStart %W]]} {%W delete insert {insert lineend}}
}
bind Console <<Cut>> {console:Cut %W}
bind Console <<Copy>> {console:Copy %W}
bind Console <<Paste>> {console:Paste %W}
bind Console <<Clear>> {
    if {[console:SelectionOnInput %W]} {%W delete sel.first sel.last} else {console:Clear %W}
}
bind Console <ButtonPress-1> {console:B1Press %W %x %y}
bind Console <B1-Motion> {console:B1Motion %W %x %y}
bind Console <ButtonRelease-1> {console:B1Release %W}
bind Console <MouseWheel> {%W yview scroll [expr {-(%D / 120)}] units}
bind Console <Button-4> {%W yview scroll -1 units}
bind Console <Button-5> {%W yview scroll 1 units}
