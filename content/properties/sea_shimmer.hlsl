// A small patch of the chart's sea catches the light: soft glints drift slowly across it, faded
// at the patch's edges, for four and a half seconds after the chart is shown.

float4x4 WorldViewProj;
float Clock;
sampler2D Picture;

struct VertexOut {
    float4 position : POSITION;
    float2 uv : TEXCOORD0;
    float4 color : COLOR0;
};

VertexOut VS(float4 position : POSITION, float2 uv : TEXCOORD0, float4 color : COLOR0) {
    VertexOut o;
    o.position = mul(position, WorldViewProj);
    o.uv = uv;
    o.color = color;
    return o;
}

float4 PS(float2 uv : TEXCOORD0, float4 color : COLOR0) : COLOR0 {
    // Stretched across: glints on water lie along the swell.
    float2 p = uv * float2(7.0, 8.0);
    // The clock counts updates, a hundred a second.
    float t = Clock * 0.006;
    float waves = sin(p.x * 1.7 + t + sin(p.y * 2.3 - t * 0.7) * 1.3) *
                  sin(p.y * 2.9 - t * 0.8 + sin(p.x * 1.1 + t * 0.5));
    float glint = smoothstep(0.55, 0.95, waves);
    // An oval patch: full in the middle, nothing at its rim.
    float2 d = (uv - 0.5) * 2.0;
    float patch = 1.0 - smoothstep(0.35, 1.0, dot(d, d));
    float life = smoothstep(0.0, 100.0, Clock) * (1.0 - smoothstep(330.0, 450.0, Clock));
    // Pale sea light (140, 175, 210), at most three quarters over the water.
    float a = glint * patch * life * 0.75 * color.a;
    return float4(float3(0.55, 0.69, 0.82) * a, a);
}
