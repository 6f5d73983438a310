// Export (POST /api/export) and Save scene (POST /api/save): the file is
// written into the scene's folder under the given name. When a file of that
// name is there, the server refuses (409) and the page asks before it sends
// the request again with "replace".
import { errorText, postJson } from "./api.js";

async function writeFile(path, name, show) {
  const output = name.trim();
  if (!output) return show("Give a file name.", true);
  let answer = await postJson(path, { output });
  if (answer.status === 409 && window.confirm(`${errorText(answer)}\nReplace it?`)) {
    answer = await postJson(path, { output, replace: true });
  }
  if (answer.ok) {
    const written = answer.data.written || [output];
    show(`Wrote ${written.join(", ")}`, false);
  } else {
    show(errorText(answer), true);
  }
}

export function wireFileActions({ form, exportName, saveButton, saveName, message }) {
  const show = (text, isError) => {
    message.textContent = text;
    message.classList.toggle("message-error", isError);
  };
  form.addEventListener("submit", (event) => {
    event.preventDefault();
    writeFile("/api/export", exportName.value, show);
  });
  saveButton.addEventListener("click", () => writeFile("/api/save", saveName.value, show));
}
