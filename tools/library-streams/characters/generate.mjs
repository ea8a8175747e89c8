// Makes byte streams of international receipts with receipt libraries that
// others wrote, to see what our virtual printer draws of them:
//   node generate.mjs OUTDIR
// One .bin file per receipt; each name says the library and what it tests.
import fs from 'node:fs';
import path from 'node:path';
import ReceiptPrinterEncoder from '@point-of-sale/receipt-printer-encoder';
import receiptline from 'receiptline';

const out = process.argv[2] || 'out';
fs.mkdirSync(out, {recursive: true});
const save = (name, bytes) => fs.writeFileSync(path.join(out, name), Buffer.from(bytes));

// The code page numbers the virtual printer knows (ESC t n), by the encoder's names.
const pages = {
    'cp437': 0, 'cp850': 2, 'cp860': 3, 'cp863': 4, 'cp865': 5, 'cp851': 11, 'cp853': 12, 'cp857': 13,
    'cp737': 14, 'iso8859-7': 15, 'windows1252': 16, 'cp866': 17, 'cp852': 18, 'cp858': 19, 'thai42': 20,
    'cp720': 32, 'cp775': 33, 'cp855': 34, 'cp861': 35, 'cp862': 36, 'cp864': 37, 'cp869': 38,
    'iso8859-15': 40, 'cp1098': 41, 'cp774': 42, 'cp772': 43, 'cp1125': 44, 'windows1250': 45,
    'windows1251': 46, 'windows1253': 47, 'windows1254': 48, 'windows1255': 49, 'windows1256': 50,
    'windows1257': 51, 'windows1258': 52, 'rk1048': 53,
};

function encoder(codepage) {
    return new ReceiptPrinterEncoder({language: 'esc-pos', columns: 48, codepageMapping: pages})
        .initialize().codepage(codepage);
}

// One page for the whole receipt.
save('encoder-cafe-pc858.bin', encoder('cp858').line('Café Müller').line('Crème brûlée   4,50 €').cut().encode());
save('encoder-russian-pc866.bin', encoder('cp866').line('Квитанция').line('Итого: 150 руб.').cut().encode());
save('encoder-czech-pc852.bin', encoder('cp852').line('Účtenka').line('Příliš žluťoučký kůň').cut().encode());
save('encoder-greek-pc737.bin', encoder('cp737').line('Απόδειξη').line('Σύνολο 12,00').cut().encode());
save('encoder-turkish-pc857.bin', encoder('cp857').line('Fiş: Şekerli çay, ılık').cut().encode());
save('encoder-cyrillic-1251.bin', encoder('windows1251').line('Чек: Сумма 99,90').cut().encode());
save('encoder-hebrew-pc862.bin', encoder('cp862').line('קבלה 12').cut().encode());
save('encoder-arabic-pc864.bin', encoder('cp864').line('فاتورة 12').cut().encode());

// The page chosen per character: the encoder switches as the text needs.
save('encoder-auto.bin', encoder('auto')
    .line('Grüße aus München')
    .line('Ελληνικά: καλημέρα')
    .line('Русский: спасибо')
    .line('Česky: děkuji')
    .line('Dansk: Ærø Øst Åby')
    .line('Euro: 12,50 €')
    .cut().encode());

// receiptline: its own markup, for printers with two-byte characters too.
const doc = {
    gb18030: '^^收据\n-\n咖啡 | 12.50\n合计 | ^12.50\n',
    shiftjis: '^^領収書\n-\nコーヒー | ¥450\nｶﾀｶﾅ | 半角\n',
    ksc5601: '^^영수증\n-\n커피 | ₩4,500\n',
    big5: '^^收據\n-\n咖啡 | 12.50\n',
    tis620: '^^ใบเสร็จ\n-\nกาแฟ | 45.00\n',
    cp866: 'Квитанция | 150\n',
    cp1252: 'Café Müller | 4,50 €\n',
};
for (const [encoding, text] of Object.entries(doc)) {
    const printer = {cpl: 48, encoding, command: 'escpos', cutting: true};
    save(`receiptline-${encoding}.bin`, Buffer.from(receiptline.transform(text, printer), 'binary'));
}
