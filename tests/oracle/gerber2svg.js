#!/usr/bin/env node
// Renders a Gerber or Excellon file with tracespace's gerber-to-svg into an SVG that covers the
// file's plane from (0, 0) to (width, height) millimetres, y up: dark white on black, so that a
// rasteriser gives the same picture frame as gerbv's PNG export.
//
//   node gerber2svg.js INPUT OUTPUT.svg WIDTH_MM HEIGHT_MM
//
// Every warning of the reader goes to standard error, one per line; a file the reader cannot
// read ends with exit status 1.
'use strict'

const fs = require('fs')
const path = require('path')

const modules = process.env.TREVOK_NODE_MODULES || path.join(__dirname, '..', '..', 'tools', 'node', 'node_modules')
const gerberToSvg = require(path.join(modules, 'gerber-to-svg'))

const [input, output, widthArg, heightArg] = process.argv.slice(2)
const widthMm = Number(widthArg)
const heightMm = Number(heightArg)
if (!input || !output || !(widthMm > 0) || !(heightMm > 0)) {
  process.stderr.write('usage: gerber2svg.js INPUT OUTPUT.svg WIDTH_MM HEIGHT_MM\n')
  process.exit(2)
}

const text = fs.readFileSync(input, 'utf8')
const converter = gerberToSvg(text, {id: 'l', attributes: {color: '#ffffff'}}, (error, svg) => {
  if (error) {
    process.stderr.write('error: ' + error.message + '\n')
    process.exit(1)
  }
  // The reader's view box is the bounding box of the image in 1000ths of the file's unit, with
  // y already turned so that its top edge is the image's highest y.
  const [x, y, w, h] = converter.viewBox
  const toMicrons = converter.units === 'in' ? 25.4 : 1
  const frameW = widthMm * 1000
  const frameH = heightMm * 1000
  // Nested in the frame: the reader's own size attributes (real-world lengths) give way to the
  // place and size of its view box in the frame.
  const rootEnd = svg.indexOf('>')
  const root = svg
    .slice(0, rootEnd)
    .replace(/ (width|height)="[^"]*"/g, '')
    .replace(
      /^<svg /,
      `<svg x="${x * toMicrons}" y="${frameH - (y + h) * toMicrons}" ` +
        `width="${w * toMicrons}" height="${h * toMicrons}" `
    )
  const inner = root + svg.slice(rootEnd)
  const out =
    `<svg xmlns="http://www.w3.org/2000/svg" version="1.1" viewBox="0 0 ${frameW} ${frameH}" ` +
    `width="${widthMm}mm" height="${heightMm}mm">` +
    `<rect x="0" y="0" width="${frameW}" height="${frameH}" fill="#000000"/>` +
    (w > 0 && h > 0 ? inner : '') +
    '</svg>\n'
  fs.writeFileSync(output, out)
})
converter.on('warning', (w) => {
  process.stderr.write('warning: ' + w.message + (w.line !== undefined ? ' (line ' + w.line + ')' : '') + '\n')
})
