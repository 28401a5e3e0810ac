// Reads a G-code file with gcode-toolpath (the interpreter of a widely used CNC controller
// sender) and prints every straight move as one JSON line: motion, start and end point.
const Toolpath = require('gcode-toolpath');
const fs = require('fs');

const lines = [];
const toolpath = new Toolpath({
    position: { x: 0, y: 0, z: 0 },
    addLine: (modal, v1, v2) => {
        lines.push(JSON.stringify({ motion: modal.motion, units: modal.units, distance: modal.distance, v1, v2 }));
    },
    addArcCurve: (modal, v1, v2, v0) => {
        lines.push(JSON.stringify({ motion: modal.motion, arc: true, v1, v2 }));
    },
});
toolpath.loadFromString(fs.readFileSync(process.argv[2], 'utf8'), (err) => {
    if (err) {
        console.error(String(err));
        process.exit(1);
    }
    process.stdout.write(lines.join('\n') + '\n');
});
