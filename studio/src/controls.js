// One form control per option, made from the option's description as the
// server gives it (GET /api/options): a select for choices, a checkbox for
// switches, a number input with the option's range for numbers, a text input
// for texts and file names. The control's name is the option's long name.
// Values travel as strings spelled as on the command line.

const kSwitchOn = "on";
const kSwitchOff = "off";

function makeInput(option) {
  if (option.kind === "choice") {
    const select = document.createElement("select");
    for (const choice of option.choices || []) select.add(new Option(choice, choice));
    return select;
  }
  const input = document.createElement("input");
  if (option.kind === "switch") {
    input.type = "checkbox";
  } else if (option.kind === "whole" || option.kind === "number") {
    input.type = "number";
    input.step = option.kind === "whole" ? "1" : "any";
    if (option.least !== undefined) input.min = String(option.least);
    if (option.most !== undefined) input.max = String(option.most);
  } else {
    input.type = "text";
  }
  return input;
}

// Sets the control to a value as the server spells it.
export function setControlValue(control, value) {
  if (control.type === "checkbox") control.checked = value === kSwitchOn;
  else control.value = value ?? "";
  control.dataset.committed = value ?? "";
}

// The control's value as the server takes it.
export function controlValue(control) {
  if (control.type === "checkbox") return control.checked ? kSwitchOn : kSwitchOff;
  return control.value;
}

// Puts the control back to the last value the server accepted.
export function revertControl(control) {
  setControlValue(control, control.dataset.committed);
}

// A labelled control for `option` in `container` (a two-column grid), with a
// place for its error below it. `commit(name, value)` is called on a change
// and answers with an error text, or null when the server took the value.
export function addControl(container, option, value, commit) {
  const control = makeInput(option);
  control.name = option.name;
  control.id = `${container.id || "control"}-${option.name}`;
  control.title = option.help || "";
  setControlValue(control, value);

  const label = document.createElement("label");
  label.htmlFor = control.id;
  label.textContent = option.valueName ? `${option.name} (${option.valueName})` : option.name;
  label.title = option.help || "";

  const error = document.createElement("div");
  error.className = "error";
  error.hidden = true;

  control.addEventListener("change", async () => {
    const message = await commit(option.name, controlValue(control));
    error.hidden = !message;
    error.textContent = message || "";
    if (message) revertControl(control);
  });
  container.append(label, control, error);
  return control;
}
