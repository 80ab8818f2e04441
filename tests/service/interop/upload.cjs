// Uploads a file to nimbra-diskd with tus-js-client (an independent tus implementation), pausing once
// after the first chunk and resuming from the offset the service reports. Prints the new file id.
// usage: node upload.cjs UPLOAD_URL TOKEN FILE
'use strict';
const fs = require('fs');
const path = require('path');
const tus = require('tus-js-client');

const [endpoint, token, file] = process.argv.slice(2);
const data = fs.readFileSync(file);
let fileId = '';

function start(uploadUrl, stopAfterFirstChunk) {
  return new Promise((resolve, reject) => {
    const upload = new tus.Upload(data, {
      endpoint,
      uploadUrl,
      headers: { Authorization: `Bearer ${token}` },
      metadata: { filename: path.basename(file), parentCatalogId: 'root', tag: 'interop' },
      chunkSize: 64 * 1024,
      retryDelays: [],
      removeFingerprintOnSuccess: true,
      onAfterResponse(req, res) {
        const id = res.getHeader('X-Nimbra-File-Id');
        if (id) fileId = id;
      },
      onChunkComplete() {
        if (stopAfterFirstChunk) {
          upload.abort().then(() => resolve(upload.url));
        }
      },
      onSuccess: () => resolve(upload.url),
      onError: reject,
    });
    upload.start();
  });
}

(async () => {
  const url = await start(null, true);
  await start(url, false);
  if (!fileId) throw new Error('the service named no file id');
  console.log(fileId);
})().catch((error) => {
  console.error(`upload failed: ${error}`);
  process.exit(1);
});
