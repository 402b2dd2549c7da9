% Reference for the lightness and selection modules: non-negative least squares (lsqnonneg)
% on Gaussian LEDs exp(-ln2 ((x - P)/(W/2))^2) sampled on 0.38 .. 0.78 um in steps of 0.002.
% First, lightness: three LEDs, two targets; prints the drive values of each target.
% Then, selection: every pair of five LEDs against two targets; prints each pair (1-based)
% with its total sum of squares, then the best pair.
% Run: octave --no-gui --quiet lightness_nnls.m > lightness_nnls.txt
x = (380:2:780)' / 1000;
g = @(P, W) exp(-log(2) * ((x - P) / (W / 2)) .^ 2);

A = [g(0.46, 0.04), g(0.53, 0.035), g(0.62, 0.05)];
T = [0.8 * A(:, 1) + 0.3 * A(:, 2) + 0.5 * A(:, 3), ...
     1.0 * A(:, 1) - 0.2 * A(:, 2) + 0.6 * A(:, 3) + 0.1 * g(0.70, 0.03)];
for t = 1:2
  d = lsqnonneg(A, T(:, t));
  printf("lightness %d %.10f %.10f %.10f\n", t - 1, d);
end

peaks = [0.45 0.50 0.55 0.60 0.65];
B = zeros(numel(x), 5);
for k = 1:5
  B(:, k) = g(peaks(k), 0.03);
end
S = [0.7 * B(:, 2) + 0.4 * B(:, 4) + 0.1 * B(:, 3), 0.2 * B(:, 2) + 0.9 * B(:, 4) + 0.05 * B(:, 5)];
best = Inf;
for i = 1:5
  for j = i + 1:5
    ss = 0;
    for t = 1:2
      d = lsqnonneg(B(:, [i j]), S(:, t));
      ss += sum((B(:, [i j]) * d - S(:, t)) .^ 2);
    end
    printf("pair %d %d %.10g\n", i, j, ss);
    if ss < best
      best = ss; bi = i; bj = j;
    end
  end
end
printf("best %d %d\n", bi, bj);
