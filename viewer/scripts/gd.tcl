# Main script of the viewer (placeholder until the user interface lands).
wm title . "Trendel"
