// Bundles the studio page: src/main.js (with three.js) and src/studio.css
// into OUT/assets/, and src/index.html into OUT/.
// Usage: node build.mjs NODE_MODULES_DIR OUT_DIR
// The packages live in NODE_MODULES_DIR (the build directory), so the
// bundler is loaded from there and told to resolve imports there.
import { createRequire } from "node:module";
import { copyFileSync, mkdirSync, rmSync } from "node:fs";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";

const [nodeModules, outDir] = process.argv.slice(2).map((p) => resolve(p));
if (!nodeModules || !outDir) {
  console.error("usage: node build.mjs NODE_MODULES_DIR OUT_DIR");
  process.exit(2);
}
const here = dirname(fileURLToPath(import.meta.url));
const esbuild = createRequire(join(nodeModules, "index.js"))("esbuild");

// A clean folder: the asset table is made from exactly these files.
rmSync(outDir, { recursive: true, force: true });
mkdirSync(join(outDir, "assets"), { recursive: true });

await esbuild.build({
  entryPoints: {
    studio: join(here, "src/main.js"),
  },
  bundle: true,
  format: "esm",
  target: "es2022",
  minify: true,
  legalComments: "none",
  nodePaths: [nodeModules],
  outdir: join(outDir, "assets"),
  logLevel: "warning",
});
copyFileSync(join(here, "src/index.html"), join(outDir, "index.html"));
