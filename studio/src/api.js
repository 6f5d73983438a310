// Requests to the studio server. The page is loaded with ?token=...; the
// server answers that load with a cookie, so every request here is a plain
// same-origin request that carries the cookie and never the token.

// The answer to one request: status, headers and the body read as JSON
// (or text for the drawing). Network failures become status 0.
export async function request(method, path, body) {
  const init = { method, credentials: "same-origin", headers: {} };
  if (body !== undefined) {
    init.headers["Content-Type"] = "application/json";
    init.body = JSON.stringify(body);
  }
  let response;
  try {
    response = await fetch(path, init);
  } catch (error) {
    return { ok: false, status: 0, headers: new Headers(), data: { error: String(error) } };
  }
  const type = response.headers.get("Content-Type") || "";
  const data = type.includes("json") ? await response.json().catch(() => ({})) : await response.text();
  return { ok: response.ok, status: response.status, headers: response.headers, data };
}

// The error text of a refused request, for showing next to what caused it.
export function errorText(answer) {
  if (answer.data && typeof answer.data === "object" && answer.data.error) return answer.data.error;
  const text = typeof answer.data === "string" ? answer.data.trim() : "";
  if (text && !text.startsWith("<") && !text.includes("\n")) return text;
  return answer.status === 0 ? "the studio server does not answer" : `refused (${answer.status})`;
}

export const getJson = (path) => request("GET", path);
export const putJson = (path, body) => request("PUT", path, body);
export const postJson = (path, body) => request("POST", path, body);
export const remove = (path) => request("DELETE", path);
