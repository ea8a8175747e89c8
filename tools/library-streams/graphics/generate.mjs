// Streams of graphics, 2D symbols, the beeper and the drawer as receipt
// libraries of other authors encode them, for the virtual printer's tests:
//   npm install && npm run generate
// Each stream is written as NAME.bin beside NAME.txt, what the library meant
// the printer to make of it, one fact a line in paper order: each image or
// symbol ("raster 64x48", "symbol PDF417 <its text>", "barcode, text below in
// font B"), then the receipt's beeps and drawer pulses, then its cut
// (tests/printer/tst_library_streams.cpp checks them).
import { writeFileSync, mkdirSync } from 'node:fs';
import { join } from 'node:path';
import ReceiptPrinterEncoder from '@point-of-sale/receipt-printer-encoder';
import { Printer as EscposPrinter, Image as EscposImage } from '@node-escpos/core';

const folder = process.argv[2] ?? '.';
mkdirSync(folder, { recursive: true });

// A 64 x 48 logo: a ring and a bar, black on white, as RGBA pixels.
function logo(width = 64, height = 48) {
  const data = new Uint8ClampedArray(width * height * 4);
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      const d = Math.hypot(x - 24, y - 24);
      const ink = (d > 14 && d < 20) || (x > 46 && x < 58);
      data.set(ink ? [0, 0, 0, 255] : [255, 255, 255, 255], (y * width + x) * 4);
    }
  }
  return { width, height, data };
}

function save(name, bytes, expected) {
  writeFileSync(join(folder, `${name}.bin`), Buffer.from(bytes));
  writeFileSync(join(folder, `${name}.txt`), expected.join('\n') + '\n');
}

// PDF417 and a raster logo, then a column logo (with GS P and ESC 3), a
// drawer pulse and a cut.
{
  const encoder = new ReceiptPrinterEncoder();
  const bytes = encoder.initialize()
    .line('PDF417 and logos')
    .pdf417('Marlix library stream', { columns: 3, errorlevel: 2 })
    .image(logo(), 64, 48, 'threshold')
    .pulse()
    .cut()
    .encode();
  // Images go as ESC * strips of 24 dots by default.
  save('point-of-sale-pdf417', bytes, ['symbol PDF417 Marlix library stream', 'column 64x24', 'column 64x24', 'drawer 1', 'cut full']);
}
{
  const encoder = new ReceiptPrinterEncoder({ imageMode: 'raster' });
  const bytes = encoder.initialize().image(logo(), 64, 48, 'threshold').pulse(1).encode();
  save('point-of-sale-raster-image', bytes, ['raster 64x48', 'drawer 2']);
}

// The beeper, the drawer, a raster logo and a barcode with its text in font B
// (GS f) through node-escpos.
{
  const chunks = [];
  const device = { write: (data, callback) => { chunks.push(Buffer.from(data)); callback?.(); }, open: (cb) => cb?.(), close: (cb) => cb?.() };
  const printer = new EscposPrinter(device, { encoding: 'ascii' });
  const image = new EscposImage({ data: logo().data, shape: [64, 48, 4] });
  printer.beep(2, 3).cashdraw(2).raster(image).text('node-escpos');
  printer.barcode('1234567', 'EAN8', { font: 'b', position: 'blw', height: 60, width: 2 });
  save('node-escpos-beep-raster', Buffer.concat([printer.buffer.flush()]),
       ['raster 64x48', 'barcode, text below in font B', 'beep', 'drawer 1']);
}
