# One run of quessel-bench, drawn from its CSV (one row per measured frame, grouped by kind:
# kind, block, slot, row, row_kind, frame_ms, issue_ms, the seven passes' GPU ms, resident_kb).
# The bench runs it with gnuplot -e "csv='...'; out='...'; ..." giving the run's figures;
# `scene` names a brought scene and its look, empty for ours.
set terminal svg size 1100,560 dynamic font "sans,11" background "white"
set output out
set datafile separator ","
# A brought scene's run has no required-work frames, nor our scene's goals: their series
# and lines are iterations over nothing.
ours = scene eq "" ? 1 : 0
if (ours) {
    set title sprintf("quessel-bench: demo %.1f ms, required work %.1f ms, floor %.1f ms (medians)\n{/*0.85 demo " . \
        "/ required work %.2f, environment-map refresh / its required work %.2f, demo / floor %.2f}", \
        demo, required, floor, toRequired, refreshToRequired, toFloor)
} else {
    set title sprintf("quessel-bench: %s\ndemo %.1f ms, floor %.1f ms (medians), demo / floor %.2f; no " . \
        "required-work frames", scene, demo, floor, toFloor) noenhanced
}
set label 1 renderer at screen 0.01, 0.02 font ",9" textcolor "#555555" noenhanced
set bmargin 5
set xlabel sprintf("frame of each kind (blocks of %d in turn; scene frames %.3f s apart in simulated time " . \
    "from t = %.1f s)", block, step, start)
set ylabel "milliseconds"
# One frame still gets an axis one frame wide, and marks where they can be told apart.
set xrange [-0.5 : slots - 0.5]
if (slots < 10) set xtics 1
marks(point) = slots <= 60 ? sprintf("linespoints pointtype %d pointsize 0.6", point) : "lines"
set yrange [0 : *]
set y2range [0 : 1]
set tics nomirror
set grid ytics linecolor "#dddddd"
set key outside right top Left reverse samplen 2 noautotitle noenhanced
set style fill solid 0.85 noborder
set boxwidth 1 absolute

x(kind) = strcol(1) eq kind ? $3 : 1/0
passes = "environment_map main reflect refract particles depth composite"
passColours = "#4e79a7 #f28e2b #e15759 #76b7b2 #59a14f #edc948 #b07aa1"
stack(k) = sum [i = 8 : 7 + k] column(i)
rowColours = "#e3ecfa #fbecd5 #f1f1f1"
rowColour(kind) = kind eq "move" ? 0xe3ecfa : kind eq "turn" ? 0xfbecd5 : 0xf1f1f1
# The first demo frame of each camera path row carries the row's name.
lastRow = -1
rowStarts(row) = row != lastRow ? (lastRow = row, 1) : 0
style(colour, width) = sprintf("%s linewidth %g linecolor '%s'", marks(7), width, colour)
demoStyle = style("black", 1.5)
issueStyle = marks(6) . " dashtype (4, 2) linecolor '#555555'"
requiredStyle = style("#00873c", 1.5)
floorStyle = style("#cc0000", 1.2)

plot \
    csv using (x("demo")):(1):(rowColour(strcol(5))) axes x1y2 with boxes fillcolor rgb variable, \
    csv using (x("demo") + (rowStarts($4) ? -0.5 : 1/0)):(0.985):5 axes x1y2 with labels left \
        rotate by -90 offset 0.6, 0 font ",9" textcolor "#555555", \
    for [k = 7 : 1 : -1] csv using (x("demo")):(stack(k)) with boxes fillcolor rgb word(passColours, k), \
    csv using (x("demo")):6 with lines linewidth 4 linecolor "white", \
    csv using (x("demo")):6 with @demoStyle title sprintf("demo frame, median %.1f ms", demo), \
    csv using (x("demo")):7 with @issueStyle \
        title sprintf("demo CPU issue, median %.1f ms", issue), \
    for [i = 1 : ours] csv using (x("required")):6 with @requiredStyle \
        title sprintf("required work, median %.1f ms", required), \
    csv using (x("floor")):6 with @floorStyle title sprintf("floor frame, median %.1f ms", floor), \
    for [i = 1 : ours] requiredGoal * required with lines dashtype (4, 3) linewidth 1.5 linecolor "#00873c" \
        title sprintf("goal, %g x required work", requiredGoal), \
    for [i = 1 : ours] floorGoal * floor with lines dashtype (4, 3) linewidth 1.5 linecolor "#cc0000" \
        title sprintf("goal, %g x floor", floorGoal), \
    keyentry with boxes fillcolor "white" title "demo GPU time per pass (stacked):", \
    for [k = 7 : 1 : -1] keyentry with boxes fillcolor rgb word(passColours, k) \
        title sprintf("%s %s ms", word(passes, k), word(passMs, k)), \
    for [k = 1 : 3] keyentry with boxes fillcolor rgb word(rowColours, k) \
        title "camera path (demo frames): " . word("move turn hold", k)
